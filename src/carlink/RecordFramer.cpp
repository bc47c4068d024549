#include "RecordFramer.h"

#include <algorithm>

namespace {

constexpr std::size_t recordSize = carlink::dataRecordSize;
constexpr unsigned char magicByte = carlink::recordMagic & 0xff;
constexpr std::size_t longestBrokenRun = 4096;

} // namespace

void RecordFramer::add(const unsigned char* bytes, int count)
{
    if (count > 0)
        buffer.insert(buffer.end(), bytes, bytes + count);
}

bool RecordFramer::magicAt(std::size_t at) const
{
    return at + 1 < buffer.size() && buffer[at] == magicByte && buffer[at + 1] == magicByte;
}

int RecordFramer::findMagic(std::size_t from, std::size_t before) const
{
    for (std::size_t at = from; at < before && at + 1 < buffer.size(); ++at)
        if (magicAt(at))
            return int(at);
    return -1;
}

RecordFramer::Step RecordFramer::drop(std::size_t count, int& droppedBytes, std::uint16_t& droppedMagic)
{
    droppedBytes = int(count);
    droppedMagic = std::uint16_t(buffer[0] | (count > 1 ? buffer[1] << 8 : 0));
    buffer.erase(buffer.begin(), buffer.begin() + std::ptrdiff_t(count));
    return Step::Broken;
}

RecordFramer::Step RecordFramer::next(Data& record, int& droppedBytes, std::uint16_t& droppedMagic)
{
    if (buffer.size() < 2)
        return Step::NeedMore;

    if (!magicAt(0)) {
        // Skip to the next magic, as one broken run however it arrives. A
        // run with no magic in sight waits for one, up to a limit.
        const int at = findMagic(1, buffer.size());
        if (at >= 0)
            return drop(std::size_t(at), droppedBytes, droppedMagic);
        if (buffer.size() < longestBrokenRun)
            return Step::NeedMore;
        return drop(buffer.size() - (buffer.back() == magicByte ? 1 : 0), droppedBytes, droppedMagic);
    }
    if (buffer.size() < recordSize)
        return Step::NeedMore;

    // A magic inside the candidate may be the next record's, which means this
    // one was cut short (or began with a stray "A"); or it may be two data
    // bytes that happen to read "AA". The bytes behind the candidate tell: a
    // record is followed by a record.
    const int inner = findMagic(1, recordSize - 1);
    if (inner >= 0) {
        const std::size_t size = buffer.size();
        if (size >= recordSize + 2) {
            if (!magicAt(recordSize))
                return drop(std::size_t(inner), droppedBytes, droppedMagic);
        } else if (size == std::size_t(inner) + recordSize) {
            // Nothing follows, but from the inner magic on the bytes make a whole record.
            return drop(std::size_t(inner), droppedBytes, droppedMagic);
        } else if (size != recordSize) {
            return Step::NeedMore;
        }
    }

    std::copy(buffer.begin(), buffer.begin() + std::ptrdiff_t(recordSize), record.bytes);
    buffer.erase(buffer.begin(), buffer.begin() + std::ptrdiff_t(recordSize));
    return Step::Record;
}
