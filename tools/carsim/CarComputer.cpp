#include "CarComputer.h"

#include <algorithm>
#include <cmath>

namespace carsim {

namespace {

using std::chrono::milliseconds;

constexpr int wholeStoreRecords = 2048;
constexpr int infoBytes = 8;
constexpr int transferParameterBytes = 6;
constexpr int clockBytes = 6;
// How long a half-sent message (transfer parameters, clock bytes) is waited for
// before the Car Computer gives up on it and listens for commands again.
constexpr milliseconds messagePatience(5000);

double secondsBetween(TimePoint from, TimePoint to)
{
    return std::chrono::duration<double>(to - from).count();
}

std::chrono::steady_clock::duration livePeriod(double rate)
{
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1 / rate));
}

std::uint32_t littleEndian(const std::uint8_t* b, int size)
{
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | b[i];
    return v;
}

} // namespace

// The protocol, as the Car Computer hears it.
//
// Directory or data? Both transfers send the same bytes: 'd', then (after the
// acknowledgement) a position and a count, then 'n' for each record. What tells
// them apart is what came before. The program reads the directory only right
// after asking for Info, and only when that Info announced a directory
// (DirNumber not 0); a block download follows the directory read or, when there
// is no directory, an Info that announced none. So: a 'd' whose preceding
// command was an 'i' answered with a non-zero DirNumber starts a directory
// transfer; every other 'd' starts a data transfer. A stray 'n' or an unknown
// byte in between changes nothing.
//
// The older transfer is 'd' followed at once by 'n', with no acknowledgement
// read and no parameters. In the normal transfers the program sends nothing
// after 'd' until the acknowledgement arrives, so the acknowledgement is held
// back for a short window: an 'n' arriving within it marks the older transfer
// (no acknowledgement, the whole store oldest first, one record per 'n');
// otherwise the acknowledgement goes out and the six parameter bytes are read,
// whatever their values.
//
// Any request ('i', 'd', 't') ends live mode: the Car Computer stops streaming
// to answer. The 'n' after the last record of a transfer finds no transfer and
// is ignored, as is 'n' outside any transfer.
CarComputer::CarComputer(const ComputerSettings& s, Store store, const Stamp& now, TimePoint at)
    : settings(s), memory(std::move(store)), clockBase(stampSeconds(now)), clockAnchor(at)
{
    for (const DataBytes& r : memory.records) {
        std::uint32_t sequence;
        if (readSequence(r.data(), sequence))
            nextSequence = std::max(nextSequence, sequence + 1);
    }
}

void CarComputer::receive(std::uint8_t b, TimePoint at)
{
    advance(at);
    switch (phase) {
    case Phase::AfterD:
        if (b == 'n') {
            kind = Kind::Older;
            position = std::uint32_t(std::int64_t(memory.dataPos) + 1);
            count = std::uint32_t(std::clamp<std::int64_t>(std::int64_t(memory.records.size()) - 1,
                                                           0, wholeStoreRecords));
            served = 0;
            phase = Phase::Transfer;
            serveNext();
            return;
        }
        acknowledge();
        phase = Phase::Parameters;
        message.clear();
        [[fallthrough]];
    case Phase::Parameters:
        message.push_back(b);
        phaseDeadline = at + messagePatience;
        if (message.size() == transferParameterBytes) {
            position = littleEndian(&message[0], 4);
            count = littleEndian(&message[4], 2);
            served = 0;
            phase = count > 0 ? Phase::Transfer : Phase::Idle;
        }
        return;
    case Phase::ClockBytes:
        message.push_back(b);
        acknowledge();
        phaseDeadline = at + messagePatience;
        if (message.size() == clockBytes) {
            Stamp s;
            s.second = std::clamp(fromBcd(message[0]), 0, 59);
            s.minute = std::clamp(fromBcd(message[1]), 0, 59);
            s.hour = std::clamp(fromBcd(message[2]), 0, 23);
            s.day = std::clamp(fromBcd(message[3]), 1, 31);
            s.month = std::clamp(fromBcd(message[4]), 1, 12);
            s.year = 2000 + fromBcd(message[5]);
            setClock(s, at);
            phase = Phase::Idle;
        }
        return;
    case Phase::Transfer:
        if (b == 'n') {
            serveNext();
            return;
        }
        phase = Phase::Idle;  // a new command abandons the transfer
        break;
    case Phase::Idle:
        break;
    }
    command(b, at);
}

void CarComputer::command(std::uint8_t b, TimePoint at)
{
    const bool afterInfo = directoryNext;
    directoryNext = false;
    switch (b) {
    case 'c':
        startLive(at);
        break;
    case 'r':
        live = false;
        break;
    case 'R':
        live = false;
        vehicle.reset();
        break;
    case 'Z':
        live = false;
        vehicle.reset();
        memory.clear();
        break;
    case 'i': {
        live = false;
        sendInfo();
        const std::uint32_t announced =
            infoReply.empty() ? std::uint32_t(memory.directory.size())
                              : (infoReply.size() >= 2 ? littleEndian(infoReply.data(), 2) : 0);
        directoryNext = announced != 0;
        break;
    }
    case 'd':
        live = false;
        kind = afterInfo ? Kind::Directory : Kind::Data;
        phase = Phase::AfterD;
        phaseDeadline = at + settings.olderTransferWindow;
        break;
    case 't':
        live = false;
        acknowledge();
        phase = Phase::ClockBytes;
        message.clear();
        phaseDeadline = at + messagePatience;
        break;
    default:
        // 'n' outside a transfer, or a byte that means nothing here.
        directoryNext = afterInfo;
        break;
    }
}

void CarComputer::startLive(TimePoint at)
{
    if (live || liveExhausted())
        return;
    live = true;
    if (settings.logLiveRecords)
        memory.startBlock(clock(at));
    lastSampleAt = at;
    nextLiveAt = settings.liveRate > 0 ? at + livePeriod(settings.liveRate) : at;
}

void CarComputer::advance(TimePoint now)
{
    if (now < phaseDeadline)
        return;
    if (phase == Phase::AfterD) {
        acknowledge();
        phase = Phase::Parameters;
        message.clear();
        phaseDeadline = now + messagePatience;
    } else if (phase == Phase::Parameters || phase == Phase::ClockBytes) {
        phase = Phase::Idle;
    }
}

std::optional<TimePoint> CarComputer::nextTimeout() const
{
    if (phase == Phase::AfterD || phase == Phase::Parameters || phase == Phase::ClockBytes)
        return phaseDeadline;
    return std::nullopt;
}

void CarComputer::serveNext()
{
    if (served >= count) {
        phase = Phase::Idle;
        return;
    }
    if (kind == Kind::Directory) {
        const std::size_t slots = memory.directory.size();
        // Past the end of a directory smaller than the request: empty slots.
        const DirectoryBytes entry = served < slots
            ? memory.directory[(std::uint64_t(position) + served) % slots]
            : emptyDirectorySlot();
        reply(entry.data(), entry.size());
    } else {
        // The start goes on the wire as a signed 32-bit number.
        const DataBytes& r = memory.recordAt(std::int64_t(std::int32_t(position)) + served);
        output.push_back({Answer::Kind::TransferRecord, {r.begin(), r.end()}});
    }
    if (++served == count)
        phase = Phase::Idle;
}

void CarComputer::sendInfo()
{
    if (!infoReply.empty()) {
        reply(infoReply.data(), infoReply.size());
        return;
    }
    const InfoValues v = info();
    const auto dataPos = std::uint32_t(v.dataPos);
    const std::uint8_t bytes[infoBytes] = {
        std::uint8_t(v.dirNumber),   std::uint8_t(v.dirNumber >> 8),
        std::uint8_t(v.dirPos),      std::uint8_t(v.dirPos >> 8),
        std::uint8_t(dataPos),       std::uint8_t(dataPos >> 8),
        std::uint8_t(dataPos >> 16), std::uint8_t(dataPos >> 24),
    };
    reply(bytes, sizeof bytes);
}

void CarComputer::reply(const std::uint8_t* bytes, std::size_t size)
{
    output.push_back({Answer::Kind::Reply, {bytes, bytes + size}});
}

std::optional<TimePoint> CarComputer::nextLiveRecord() const
{
    if (!live)
        return std::nullopt;
    return nextLiveAt;
}

bool CarComputer::takeLiveTurn(TimePoint now)
{
    if (!live)
        return false;
    if (settings.liveRate > 0) {
        if (now < nextLiveAt)
            return false;
        const auto period = livePeriod(settings.liveRate);
        nextLiveAt += period;
        // After a stall (a full line, a slow machine) carry on at the rate, without a burst.
        if (nextLiveAt < now - period)
            nextLiveAt = now;
    }
    return true;
}

bool CarComputer::skipLiveRecord(TimePoint now)
{
    return takeLiveTurn(now);
}

bool CarComputer::tick(TimePoint now)
{
    advance(now);
    if (!takeLiveTurn(now))
        return false;
    DataBytes record;
    if (!liveQueue.empty()) {
        record = liveQueue.front();
        liveQueue.pop_front();
    } else {
        record = makeDataRecord(clock(now), vehicle.step(secondsBetween(lastSampleAt, now)));
        setSequence(record, nextSequence++);
        lastSampleAt = now;
    }
    if (settings.logLiveRecords)
        memory.log(record);
    output.push_back({Answer::Kind::LiveRecord, {record.begin(), record.end()}});
    ++liveMade;
    if (liveExhausted())
        live = false;
    return true;
}

void CarComputer::lineClosed(bool streamOn)
{
    phase = Phase::Idle;
    if (!streamOn)
        live = false;
}

std::vector<Answer> CarComputer::takeOutput()
{
    std::vector<Answer> taken;
    taken.swap(output);
    return taken;
}

InfoValues CarComputer::info() const
{
    InfoValues v;
    v.dirNumber = std::uint16_t(memory.directory.size());
    v.dirPos = memory.dirPos;
    v.dataPos = memory.dataPos;
    return v;
}

void CarComputer::setClock(const Stamp& now, TimePoint at)
{
    clockBase = stampSeconds(now);
    clockAnchor = at;
}

Stamp CarComputer::clock(TimePoint at) const
{
    return stampAt(clockBase + std::int64_t(std::floor(secondsBetween(clockAnchor, at))));
}

} // namespace carsim
