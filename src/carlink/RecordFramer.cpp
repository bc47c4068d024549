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

bool RecordFramer::plausible(std::size_t at) const
{
    if (at + 8 > buffer.size())
        return true;  // too little to tell
    auto bcd = [&](std::size_t i, int low, int high) {
        const unsigned char b = buffer[at + i];
        if ((b >> 4) > 9 || (b & 0x0f) > 9)
            return false;
        const int value = (b >> 4) * 10 + (b & 0x0f);
        return value >= low && value <= high;
    };
    return bcd(2, 0, 59) && bcd(3, 0, 59) && bcd(4, 0, 23) && bcd(5, 1, 31) && bcd(6, 1, 12) && bcd(7, 0, 99);
}

RecordFramer::Step RecordFramer::next(Data& record, int& droppedBytes, std::uint16_t& droppedMagic, bool atRest)
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
    // one was cut short (or began with a stray "A"); or it may be data that
    // happens to read "AA" (a seconds byte of 0x41 does). Each reading is
    // weighed: a record is followed by a record, or ends where the quiet line
    // ends; and its calendar bytes are valid, which a shifted candidate's
    // rarely are. The inner reading must win to cut the candidate short.
    const std::size_t size = buffer.size();
    if (size == recordSize && buffer.back() == magicByte && !atRest)
        return Step::NeedMore;  // the last byte may open the next record
    auto weight = [&](std::size_t from) {
        const bool followed = magicAt(from + recordSize) || (atRest && size == from + recordSize);
        return int(followed) + int(plausible(from));
    };
    // A record cut short, then a whole one followed by broken bytes, leaves both
    // readings valid and neither followed. A cut is a common fault, and data
    // rarely holds the magic and then a valid calendar, so the inner reading wins
    // that tie once its calendar has arrived, unless its magic lies among the
    // candidate's own calendar bytes (a second of 41 reads "AAA") or an "A" right
    // behind the candidate, then a valid calendar, may open a record with a broken magic.
    const int outerWeight = weight(0);
    constexpr std::size_t calendarEnd = 8;
    // Both readings valid and followed, as when a record cut short is followed
    // by one whose second is 41 ("AAA"): the reading whose follower has a valid
    // calendar wins, as a follower shifted by the cut rarely has one.
    auto followerDecides = [&](std::size_t at) {
        return at >= calendarEnd && weight(at) == 2 && outerWeight == 2;
    };
    auto score = [&](std::size_t at) {
        const int w = weight(at);
        const bool breaksTie = (w == 1 && outerWeight == 1 && plausible(0) && plausible(at) &&
                                at >= calendarEnd && at + calendarEnd <= size &&
                                !(buffer[recordSize] == magicByte && plausible(recordSize))) ||
                               (followerDecides(at) && at + recordSize + calendarEnd <= size &&
                                plausible(at + recordSize) && !plausible(recordSize));
        return 2 * w + int(breaksTie);
    };
    // The best inner reading, if any; the earliest wins a tie.
    std::size_t best = 0;
    int bestScore = -1;
    for (int at = findMagic(1, recordSize); at >= 0; at = findMagic(std::size_t(at) + 1, recordSize)) {
        if (size < std::size_t(at) + recordSize + 2 && !atRest)
            return Step::NeedMore;  // wait until what follows each reading can be seen
        if (followerDecides(std::size_t(at)) && size < std::size_t(at) + recordSize + calendarEnd && !atRest)
            return Step::NeedMore;  // and, on a tie, the followers' calendars
        if (score(std::size_t(at)) > bestScore) {
            best = std::size_t(at);
            bestScore = score(best);
        }
    }
    if (bestScore >= 0) {
        if (bestScore > 2 * outerWeight)
            return drop(best, droppedBytes, droppedMagic);
        // A doubtful candidate while a good-looking record is still arriving behind it: wait.
        if (outerWeight < 2 && size < best + recordSize && plausible(best))
            return Step::NeedMore;
    }

    std::copy(buffer.begin(), buffer.begin() + std::ptrdiff_t(recordSize), record.bytes);
    buffer.erase(buffer.begin(), buffer.begin() + std::ptrdiff_t(recordSize));
    return Step::Record;
}
