// The simulated Car Computer's protocol, without a line: bytes in at chosen
// moments, bytes out. Its store and directory must agree with the program's
// arithmetic, and its records with the program's decoding.

#include "CarComputer.h"
#include "CarLink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using carsim::TimePoint;

const carsim::Stamp started = {2008, 12, 31, 12, 0, 0};
const TimePoint t0 = TimePoint() + 1h;
const Bytes ack = {carsim::ackByte};

// Drives already logged: with the defaults DirPos is 3 and DataPos 300.
carsim::Store drives(int slots = 64, int blocks = 3, int perBlock = 100)
{
    return carsim::makeStore(blocks, perBlock, slots, carsim::defaultPositions, started);
}

template <std::size_t N> Bytes bytesOf(const std::array<std::uint8_t, N>& a)
{
    return Bytes(a.begin(), a.end());
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A transfer's start and count, little-endian.
Bytes parameters(std::int32_t start, std::uint16_t num)
{
    const auto s = std::uint32_t(start);
    return {std::uint8_t(s), std::uint8_t(s >> 8), std::uint8_t(s >> 16), std::uint8_t(s >> 24),
            std::uint8_t(num), std::uint8_t(num >> 8)};
}

std::uint32_t littleEndian(const Bytes& b, std::size_t at, int size)
{
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | b[at + std::size_t(i)];
    return v;
}

std::int64_t stampOf(const carsim::DataBytes& r) { return carsim::stampSeconds(carsim::recordStamp(r)); }

// The program's end, with the time in the test's hands.
class Program
{
public:
    explicit Program(carsim::Store store = drives(), const carsim::ComputerSettings& settings = {})
        : computer(settings, std::move(store), started, t0)
    {
    }

    // Each byte arrives now; returns everything answered.
    Bytes send(const Bytes& bytes)
    {
        for (std::uint8_t b : bytes)
            computer.receive(b, now);
        return answers();
    }
    Bytes wait(std::chrono::milliseconds span)
    {
        now += span;
        computer.advance(now);
        return answers();
    }
    Bytes answers()
    {
        Bytes all;
        for (const carsim::Answer& a : computer.takeOutput())
            all.insert(all.end(), a.bytes.begin(), a.bytes.end());
        return all;
    }

    // The exchanges as the program runs them: parameters only after the acknowledgement.
    Bytes info() { return send({'i'}); }
    Bytes transfer(std::int32_t start, std::uint16_t num, int requests)
    {
        Bytes got = send({'d'});
        got = cat({got, wait(100ms), send(parameters(start, num))});
        for (int k = 0; k < requests; ++k)
            got = cat({got, send({'n'})});
        return got;
    }
    carsim::DataBytes liveRecord(TimePoint at)
    {
        now = at;
        EXPECT_TRUE(computer.tick(now));
        const Bytes got = answers();
        carsim::DataBytes r{};
        EXPECT_EQ(got.size(), r.size());
        std::copy_n(got.begin(), std::min(got.size(), r.size()), r.begin());
        return r;
    }

    carsim::CarComputer computer;
    TimePoint now = t0;
};

// Every record valid, one second after the one before it.
void expectOneDrive(const Bytes& records, std::size_t count)
{
    ASSERT_EQ(records.size(), count * carsim::dataRecordBytes);
    std::int64_t before = 0;
    for (std::size_t k = 0; k < count; ++k) {
        carsim::DataBytes r;
        std::copy_n(records.begin() + std::ptrdiff_t(k * r.size()), r.size(), r.begin());
        ASSERT_EQ(r[0], carsim::magicByte) << k;
        ASSERT_EQ(r[1], carsim::magicByte) << k;
        if (k > 0) {
            ASSERT_EQ(stampOf(r) - before, 1) << k;
        }
        before = stampOf(r);
    }
}

} // namespace

TEST(CarComputer, AnswersEachExchangeByteForByte)
{
    // Three drives that filled the ring: every record differs. DirPos 3, DataPos 51.
    const carsim::Store store = drives(64, 3, 700);
    auto rec = [&](std::int64_t position) { return bytesOf(store.recordAt(position)); };
    auto entry = [&](int slot) { return bytesOf(store.directory[std::size_t(slot)]); };
    const Bytes info = {0x40, 0x00, 0x03, 0x00, 0x33, 0x00, 0x00, 0x00};
    const Bytes noDirectory = {0x00, 0x00, 0x00, 0x00, 0x33, 0x00, 0x00, 0x00};

    struct Step { std::chrono::milliseconds after; Bytes bytes; };
    struct Case { const char* what; std::vector<Step> in; Bytes out; Bytes infoReply = {}; };
    const Case cases[] = {
        {"info from the store", {{0ms, {'i'}}}, info},
        {"commands that answer nothing", {{0ms, {'r', 'R', 'n', 'x'}}}, {}},
        {"a directory read follows an info that announced one; the ring wraps",
         {{0ms, {'i', 'd'}}, {100ms, parameters(62, 4)}, {0ms, {'n', 'n', 'n', 'n'}}},
         cat({info, ack, entry(62), entry(63), entry(0), entry(1)})},
        {"a stray n or unknown byte after info changes nothing",
         {{0ms, {'i', 'n', 'x', 'd'}}, {100ms, parameters(3, 1)}, {0ms, {'n'}}},
         cat({info, ack, entry(3)})},
        {"any other command in between makes it a data transfer",
         {{0ms, {'i', 'r', 'd'}}, {100ms, parameters(3, 1)}, {0ms, {'n'}}},
         cat({info, ack, rec(3)})},
        {"an info that announced no directory is followed by a data transfer",
         {{0ms, {'i', 'd'}}, {100ms, parameters(3, 1)}, {0ms, {'n'}}},
         cat({noDirectory, ack, rec(3)}), noDirectory},
        {"an info reply too short to announce anything", {{0ms, {'i', 'd'}}, {100ms, parameters(3, 1)}, {0ms, {'n'}}},
         cat({{0x05}, ack, rec(3)}), {0x05}},
        {"one record per n; the n after the last finds no transfer",
         {{0ms, {'d'}}, {100ms, parameters(100, 2)}, {0ms, {'n', 'n', 'n'}}},
         cat({ack, rec(100), rec(101)})},
        {"the start is signed", {{0ms, {'d'}}, {100ms, parameters(-1, 2)}, {0ms, {'n', 'n'}}},
         cat({ack, rec(2048), rec(0)})},
        {"after the window a start whose first byte is n is a start",
         {{0ms, {'d'}}, {100ms, parameters(0x6E, 1)}, {0ms, {'n'}}}, cat({ack, rec(0x6E)})},
        {"a count of 0 starts nothing", {{0ms, {'d'}}, {100ms, parameters(5, 0)}, {0ms, {'n'}}}, ack},
        {"a new command abandons the transfer",
         {{0ms, {'d'}}, {100ms, parameters(100, 5)}, {0ms, {'n', 'i', 'n'}}},
         cat({ack, rec(100), info})},
        {"d then n within the window: the older transfer, oldest first, no acknowledgement",
         {{0ms, {'d'}}, {99ms, {'n', 'n', 'n'}}}, cat({rec(52), rec(53), rec(54)})},
        {"parameters are waited for up to 5 s",
         {{0ms, {'d'}}, {100ms, {0x01, 0x02, 0x00, 0x00}}, {4999ms, {0x01, 0x00}}, {0ms, {'n'}}},
         cat({ack, rec(0x201)})},
        {"then given up: the Car Computer listens for commands again",
         {{0ms, {'d'}}, {100ms, {0x01, 0x02}}, {5000ms, {'i'}}}, cat({ack, info})},
        {"every clock byte is acknowledged", {{0ms, {'t', 0x45, 0x37, 0x14, 0x23, 0x11, 0x19}}},
         Bytes(7, carsim::ackByte)},
        {"a clock message left half-sent is given up after 5 s",
         {{0ms, {'t', 0x45, 0x37}}, {5000ms, {'i'}}}, cat({ack, ack, ack, info})},
    };
    for (const Case& c : cases) {
        Program program(store);
        if (!c.infoReply.empty())
            program.computer.setInfoReply(c.infoReply);
        Bytes out;
        for (const Step& step : c.in)
            out = cat({out, program.wait(step.after), program.send(step.bytes)});
        EXPECT_EQ(out, c.out) << c.what;
    }
}

TEST(CarComputer, SetsItsClockFromTheBcdBytesAndStampsRecordsWithIt)
{
    Program program;
    EXPECT_EQ(program.send({'t', 0x45, 0x37, 0x14, 0x23, 0x11, 0x19}), Bytes(7, carsim::ackByte));
    const carsim::Stamp set = {2019, 11, 23, 14, 37, 45};
    EXPECT_EQ(program.computer.clock(program.now), set);
    EXPECT_EQ(program.computer.clock(program.now + 1999ms), (carsim::Stamp{2019, 11, 23, 14, 37, 46}));

    program.send({'c'});
    const carsim::DataBytes record = program.liveRecord(program.now + 250ms);
    EXPECT_EQ(Bytes(record.begin() + 2, record.begin() + 8), (Bytes{0x45, 0x37, 0x14, 0x23, 0x11, 0x19}));
}

TEST(CarComputer, DirectoryBlocksDownloadAsWholeDrives)
{
    struct Case { int slots, blocks, perBlock; };
    // 64 slots, fewer slots than the request (empty slots past the end), and a
    // directory that has gone round its ring.
    for (const Case c : {Case{64, 3, 100}, Case{8, 3, 50}, Case{16, 20, 40}}) {
        SCOPED_TRACE(c.slots);
        Program program(drives(c.slots, c.blocks, c.perBlock));
        const Bytes info = program.info();
        ASSERT_EQ(info.size(), 8u);
        ASSERT_EQ(littleEndian(info, 0, 2), std::uint32_t(c.slots));
        const std::uint32_t dirPos = littleEndian(info, 2, 2);
        const auto dataPos = std::int32_t(littleEndian(info, 4, 4));

        // The program's arithmetic: the 64 slots before DirPos.
        const std::uint32_t from = (dirPos - carlink::directoryEntriesRequested) % std::uint32_t(c.slots);
        const Bytes read = program.transfer(std::int32_t(from), carlink::directoryEntriesRequested,
                                            carlink::directoryEntriesRequested);
        ASSERT_EQ(read.size(), 1u + carlink::directoryEntriesRequested * carlink::directoryRecordSize);
        std::vector<Directory> entries;
        for (int k = 0; k < carlink::directoryEntriesRequested; ++k) {
            Directory e;
            std::copy_n(read.begin() + 1 + k * carlink::directoryRecordSize, carlink::directoryRecordSize, e.bytes);
            ASSERT_EQ(e.magic(), carlink::recordMagic);
            if (!e.isEmptySlot())
                entries.push_back(e);
        }
        ASSERT_EQ(entries.size(), std::size_t(std::min(c.slots, c.blocks)));

        for (std::size_t e = 0; e < entries.size(); ++e) {
            // A block ends where the next one starts; the newest one at DataPos.
            const std::int32_t end = e + 1 < entries.size() ? entries[e + 1].dataPosition() : dataPos;
            const std::int32_t start = entries[e].dataPosition();
            ASSERT_EQ(end - start, c.perBlock) << "block " << e;
            const auto num = std::uint16_t(end - start);

            const Bytes records = program.transfer(start, num, num);
            const Bytes drive(records.begin() + 1, records.end());
            expectOneDrive(drive, num);
            Data first;
            std::copy_n(drive.begin(), carlink::dataRecordSize, first.bytes);
            EXPECT_EQ(entries[e].decode(tm{}), first.decode(tm{})) << "block " << e;
        }
    }
}

TEST(CarComputer, WholeStoreDownloadsTheNewestRecordsOldestFirst)
{
    // 2048 records leave DataPos at 2048, whose start wraps to 0; 3000 fill the
    // ring and go round it.
    for (int logged : {2048, 3000}) {
        SCOPED_TRACE(logged);
        const carsim::Store store = drives(0, 1, logged);
        Program program(store);
        const Bytes info = program.info();
        ASSERT_EQ(littleEndian(info, 0, 2), 0u);
        const auto dataPos = std::int32_t(littleEndian(info, 4, 4));
        const std::int32_t start = dataPos + 1 > carlink::wholeStoreHighestStart ? 0 : dataPos + 1;
        const Bytes records = program.transfer(start, carlink::wholeStoreRecords, carlink::wholeStoreRecords);
        const Bytes all(records.begin() + 1, records.end());
        expectOneDrive(all, carlink::wholeStoreRecords);
        EXPECT_EQ(Bytes(all.end() - carsim::dataRecordBytes, all.end()),
                  bytesOf(store.recordAt(std::int64_t(store.dataPos) - 1)));
    }
}

TEST(CarComputer, LoggedDrivesChangeSmoothly)
{
    // Logged one second apart: no jumps a real vehicle could not make.
    const carsim::Store store = drives(64, 1, 600);
    for (int k = 1; k < 600; ++k) {
        const carsim::Sample now = carsim::recordSample(store.records[k]);
        const carsim::Sample before = carsim::recordSample(store.records[k - 1]);
        EXPECT_LT(std::abs(now.speed - before.speed), 15 * 100) << k;            // km/h
        EXPECT_LT(std::abs(now.throttle - before.throttle), 25 * 10) << k;       // %
        EXPECT_LT(std::abs(now.motorSpeed - before.motorSpeed), 1000 * 10) << k; // rpm
        EXPECT_LE(std::abs(now.temperature - before.temperature), 2) << k;
        EXPECT_LE(std::abs(now.battery - before.battery), 1) << k;
        EXPECT_GE(now.charge1, before.charge1) << k;
    }
}

TEST(CarComputer, ResetKeepsTheStoreFactoryResetEmptiesIt)
{
    Program program;
    const carsim::InfoValues before = program.computer.info();
    program.send({'R'});
    EXPECT_EQ(program.computer.info().dataPos, before.dataPos);
    EXPECT_EQ(program.computer.info().dirPos, before.dirPos);

    program.send({'Z'});
    EXPECT_EQ(program.info(), (Bytes{0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    const Bytes directory = program.transfer(0, 64, 64);
    ASSERT_EQ(directory.size(), 1u + 64 * 12);
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(directory[1 + k * 12 + 7], 0) << "slot " << k << " is empty";
    EXPECT_EQ(program.computer.store().recordAt(0), carsim::erasedRecord());
}

TEST(CarComputer, StreamsAtItsRateUntilAnyRequest)
{
    for (std::uint8_t stop : {'r', 'R', 'Z', 'i', 'd', 't'}) {
        SCOPED_TRACE(stop);
        Program program;
        program.send({'c'});
        EXPECT_FALSE(program.computer.tick(t0 + 249ms));  // 4 a second
        program.liveRecord(t0 + 250ms);
        EXPECT_EQ(program.computer.nextLiveRecord(), t0 + 500ms);
        EXPECT_FALSE(program.computer.tick(t0 + 499ms));
        program.liveRecord(t0 + 500ms);

        // Its turn passes while the line is silent; the stream keeps its rate.
        EXPECT_FALSE(program.computer.skipLiveRecord(t0 + 600ms));
        EXPECT_TRUE(program.computer.skipLiveRecord(t0 + 750ms));
        EXPECT_EQ(program.answers(), Bytes{});
        program.liveRecord(t0 + 1000ms);

        program.now = t0 + 1100ms;
        program.send({stop});
        EXPECT_FALSE(program.computer.isLive());
        EXPECT_EQ(program.computer.nextLiveRecord(), std::nullopt);
        EXPECT_FALSE(program.computer.tick(t0 + 10s));
    }
}

TEST(CarComputer, CatchesUpAfterAStallWithoutABurst)
{
    Program program;
    program.send({'c'});
    int records = 0;
    for (TimePoint at = t0 + 10s; at < t0 + 11s; at += 1ms)
        records += program.computer.tick(at);
    EXPECT_LE(records, 5);
    EXPECT_GE(records, 4);

    carsim::ComputerSettings backToBack;
    backToBack.liveRate = 0;
    Program fast(drives(), backToBack);
    fast.send({'c'});
    for (int k = 0; k < 10; ++k)
        EXPECT_TRUE(fast.computer.tick(t0));
}

TEST(CarComputer, EndsTheStreamForGoodAfterItsLimit)
{
    carsim::ComputerSettings settings;
    settings.liveRate = 0;
    settings.liveRecordLimit = 3;
    Program program(drives(), settings);
    program.send({'c'});
    for (int k = 0; k < 3; ++k)
        program.liveRecord(t0);
    EXPECT_FALSE(program.computer.isLive());
    program.send({'c'});
    EXPECT_FALSE(program.computer.tick(t0 + 1s));
}

TEST(CarComputer, StreamsQueuedLiveRecordsExactlyThenTheVehicle)
{
    carsim::Sample sample;
    sample.throttle = 123;
    sample.voltage = 1234;
    const carsim::DataBytes queued = carsim::makeDataRecord({2008, 12, 31, 23, 59, 30}, sample);
    Program program;
    program.computer.queueLiveRecord(queued);
    program.send({'c'});
    EXPECT_EQ(program.liveRecord(t0 + 250ms), queued);
    std::uint32_t sequence = 0;
    ASSERT_TRUE(carsim::readSequence(program.liveRecord(t0 + 500ms).data(), sequence));
    EXPECT_EQ(sequence, 301u) << "numbered on from the store's";
}

TEST(CarComputer, LiveDataLooksLikeADriveAndIsLoggedAsABlock)
{
    Program program;
    const carsim::InfoValues before = program.computer.info();
    program.send({'c'});
    std::vector<carsim::DataBytes> records;
    for (int k = 1; k <= 60; ++k)
        records.push_back(program.liveRecord(t0 + k * 250ms));
    program.send({'r'});

    for (std::size_t k = 0; k < records.size(); ++k) {
        SCOPED_TRACE(k);
        const carsim::Sample s = carsim::recordSample(records[k]);
        EXPECT_EQ(records[k][0], carsim::magicByte);
        EXPECT_EQ(records[k][1], carsim::magicByte);
        EXPECT_LE(s.throttle, 1000);
        EXPECT_LE(s.speed, 100 * 100);
        EXPECT_GE(s.voltage, 40 * 100);
        EXPECT_LE(s.voltage, 55 * 100);
        EXPECT_LE(s.current, 200 * 100);
        EXPECT_LE(s.battery, 100);
        EXPECT_GE(s.temperature, 2 * 10);
        EXPECT_LE(s.temperature, 2 * 80);
        if (k > 0) {
            EXPECT_GE(s.charge1, carsim::recordSample(records[k - 1]).charge1);
        }
        // Stamped by its own clock at the moment it left.
        EXPECT_EQ(carsim::recordStamp(records[k]), program.computer.clock(t0 + int(k + 1) * 250ms));
    }

    // The run became a block of its own: its entry where DirPos was, pointing at
    // where DataPos was, and DataPos moved on by every record sent.
    const carsim::InfoValues after = program.computer.info();
    const carsim::Store& store = program.computer.store();
    EXPECT_EQ(after.dirPos, (before.dirPos + 1) % before.dirNumber);
    EXPECT_EQ(after.dataPos, before.dataPos + 60);
    EXPECT_EQ(store.directory[before.dirPos], carsim::makeDirectoryEntry(started, before.dataPos));
    EXPECT_EQ(store.recordAt(before.dataPos), records[0]);

    carsim::ComputerSettings unlogged;
    unlogged.logLiveRecords = false;
    Program quiet(drives(), unlogged);
    quiet.send({'c'});
    quiet.liveRecord(t0 + 250ms);
    EXPECT_EQ(quiet.computer.info().dataPos, before.dataPos);
    EXPECT_EQ(quiet.computer.info().dirPos, before.dirPos);
}

TEST(CarComputer, AClosedLineAbandonsTheExchangeAndEndsTheStreamUnlessTheCableWasPulled)
{
    for (bool cablePulled : {false, true}) {
        Program program;
        program.send({'c'});
        program.computer.lineClosed(cablePulled);
        EXPECT_EQ(program.computer.isLive(), cablePulled);

        program.transfer(100, 5, 1);
        program.computer.lineClosed(cablePulled);
        EXPECT_EQ(program.send({'n'}), Bytes{}) << "the transfer is gone";
        EXPECT_EQ(program.computer.nextTimeout(), std::nullopt);
    }
}
