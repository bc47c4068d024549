// The simulated Car Computer as a download sees it: its store and directory agree
// with the program's arithmetic, live data looks like a drive, faults happen on cue.

#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

using namespace linktest;

namespace {

// Reads the directory the way the program does: the 64 slots before DirPos.
std::vector<Directory> readDirectory(ZSerial& port, const Info& info)
{
    std::vector<Directory> entries;
    if (info.DirNumber == 0)
        return entries;
    const std::uint32_t from =
        (std::uint32_t(info.DirPos) - carlink::directoryEntriesRequested) % info.DirNumber;
    carlink::startDirectoryTransfer(port, from, carlink::directoryEntriesRequested);
    for (int k = 0; k < carlink::directoryEntriesRequested; ++k) {
        Directory entry;
        if (carlink::readDirectoryEntry(port, entry) <= 0 || entry.magic() != carlink::recordMagic)
            break;
        if (!entry.isEmptySlot())
            entries.push_back(entry);
    }
    return entries;
}

std::vector<carsim::DataBytes> download(ZSerial& port, std::int32_t start, std::uint16_t num)
{
    std::vector<carsim::DataBytes> records;
    carlink::startDataTransfer(port, start, num);
    for (int k = 0; k < num; ++k) {
        carsim::DataBytes r;
        if (port.read(r.data(), int(r.size())) != int(r.size()))
            break;
        carlink::requestNext(port);
        records.push_back(r);
    }
    return records;
}

std::int64_t stampOf(const carsim::DataBytes& r) { return carsim::stampSeconds(carsim::recordStamp(r)); }

// Every record valid, one second after the one before it.
void expectOneDrive(const std::vector<carsim::DataBytes>& records)
{
    for (std::size_t k = 0; k < records.size(); ++k) {
        ASSERT_EQ(records[k][0], 0x41) << k;
        ASSERT_EQ(records[k][1], 0x41) << k;
        if (k > 0) {
            ASSERT_EQ(stampOf(records[k]) - stampOf(records[k - 1]), 1) << k;
        }
    }
}

} // namespace

TEST(CarSimulator, DirectoryBlocksDownloadAsWholeDrives)
{
    struct Case { int slots, blocks, perBlock; };
    // 64 slots, fewer slots than the request (empty slots past the end), and a
    // directory that has gone round its ring.
    for (const Case c : {Case{64, 3, 100}, Case{8, 3, 50}, Case{16, 20, 40}}) {
        carsim::Options options;
        options.directorySlots = c.slots;
        options.blocks = c.blocks;
        options.recordsPerBlock = c.perBlock;
        Line line(options);
        ASSERT_TRUE(line.ready());

        Info info;
        carlink::readInfo(line.port, info);
        ASSERT_EQ(info.DirNumber, c.slots);
        const std::vector<Directory> entries = readDirectory(line.port, info);
        ASSERT_EQ(entries.size(), std::size_t(std::min(c.slots, c.blocks))) << c.slots;

        for (std::size_t e = 0; e < entries.size(); ++e) {
            // A block ends where the next one starts; the newest one at DataPos.
            const std::int32_t end =
                e + 1 < entries.size() ? entries[e + 1].dataPosition() : info.DataPos;
            const std::int32_t start = entries[e].dataPosition();
            const auto num = std::uint16_t(end - start);
            ASSERT_EQ(num, c.perBlock) << "slots " << c.slots << " block " << e;

            const auto records = download(line.port, start, num);
            ASSERT_EQ(records.size(), std::size_t(num));
            expectOneDrive(records);
            Directory decoded = entries[e];
            Data first;
            std::copy(records[0].begin(), records[0].end(), first.bytes);
            EXPECT_EQ(decoded.decode(tm{}), first.decode(tm{})) << "block " << e;
        }
    }
}

TEST(CarSimulator, LoggedDrivesChangeSmoothly)
{
    // Logged one second apart: no jumps a real vehicle could not make.
    const carsim::Store store = carsim::makeStore(1, 600, 64, carsim::defaultPositions,
                                                  {2008, 12, 31, 12, 0, 0});
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

TEST(CarSimulator, WholeStoreDownloadsTheNewestRecordsOldestFirst)
{
    // 2048 records leave DataPos at 2048, whose start wraps to 0; 3000 fill the
    // ring and go round it.
    for (int logged : {2048, 3000}) {
        carsim::Options options;
        options.directorySlots = 0;
        options.blocks = 1;
        options.recordsPerBlock = logged;
        Line line(options);
        ASSERT_TRUE(line.ready());
        const carsim::Store store = line.simulator.store();

        Info info;
        carlink::readInfo(line.port, info);
        ASSERT_EQ(info.DirNumber, 0);
        const std::int32_t start =
            info.DataPos + 1 > carlink::wholeStoreHighestStart ? 0 : info.DataPos + 1;
        const auto records = download(line.port, start, carlink::wholeStoreRecords);
        ASSERT_EQ(records.size(), std::size_t(carlink::wholeStoreRecords)) << logged;
        expectOneDrive(records);
        EXPECT_EQ(records.back(), store.recordAt(std::int64_t(store.dataPos) - 1)) << logged;
    }
}

TEST(CarSimulator, StreamsQueuedLiveRecordsExactly)
{
    TimeZone utc("UTC");
    Line line;
    ASSERT_TRUE(line.ready());
    carsim::Sample sample;
    sample.throttle = 123;
    sample.voltage = 1234;
    line.simulator.queueLiveRecord(carsim::makeDataRecord({2008, 12, 31, 23, 59, 30}, sample));

    carlink::sendLiveStart(line.port);
    Data record;
    ASSERT_EQ(carlink::readDataRecord(line.port, record), carlink::dataRecordSize);
    EXPECT_EQ(record.magic(), carlink::recordMagic);
    EXPECT_EQ(record.throttle(), 123);
    EXPECT_EQ(record.voltage(), 1234);
    EXPECT_EQ(record.decode(tm{}), time_t(1230767970));
}

TEST(CarSimulator, LiveDataLooksLikeADriveAndIsLogged)
{
    carsim::Options options;
    options.liveRate = 100;
    Line line(options);
    ASSERT_TRUE(line.ready());
    const carsim::InfoValues before = line.simulator.info();
    const carsim::Stamp clock = line.simulator.clock();

    carlink::sendLiveStart(line.port);
    std::vector<Data> records(60);
    for (Data& r : records)
        ASSERT_EQ(carlink::readDataRecord(line.port, r), carlink::dataRecordSize);
    carlink::sendLiveStop(line.port);
    line.traffic(2);
    ASSERT_TRUE(line.simulator.waitUntilSent(1000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    unsigned char rest[34];
    int left = line.port.bytesAvailable();
    ASSERT_GE(left, 0);
    ASSERT_LE(left, 34);
    EXPECT_EQ(line.port.read(rest, left), left);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(line.port.bytesAvailable(), 0);  // the stream has stopped

    for (std::size_t k = 0; k < records.size(); ++k) {
        const Data& r = records[k];
        ASSERT_EQ(r.magic(), carlink::recordMagic);
        EXPECT_LE(r.throttle(), 1000);
        EXPECT_LE(r.speed(), 100 * 100);
        EXPECT_GE(r.voltage(), 40 * 100);
        EXPECT_LE(r.voltage(), 55 * 100);
        EXPECT_LE(r.current(), 200 * 100);
        EXPECT_LE(r.battery(), 100);
        EXPECT_GE(r.temperature(), 2 * 10);
        EXPECT_LE(r.temperature(), 2 * 80);
        if (k > 0) {
            EXPECT_GE(r.charge1(), records[k - 1].charge1()) << k;
        }
    }
    // Stamped by its own clock.
    carsim::DataBytes firstBytes;
    std::copy(records[0].bytes, records[0].bytes + 34, firstBytes.begin());
    EXPECT_LE(std::abs(stampOf(firstBytes) - carsim::stampSeconds(clock)), 2);

    // The run became a block of its own: its entry where DirPos was, pointing at
    // where DataPos was, and DataPos moved on by every record sent.
    const carsim::InfoValues after = line.simulator.info();
    const carsim::Store store = line.simulator.store();
    const int sent = line.simulator.dataRecordsSent();
    EXPECT_GE(sent, 60);
    EXPECT_EQ(after.dirPos, (before.dirPos + 1) % before.dirNumber);
    EXPECT_EQ(after.dataPos, before.dataPos + sent);
    Directory entry;
    std::copy(store.directory[before.dirPos].begin(), store.directory[before.dirPos].end(),
              entry.bytes);
    EXPECT_EQ(entry.dataPosition(), before.dataPos);
    EXPECT_EQ(bytesOf(store.recordAt(before.dataPos).data(), 34),
              bytesOf(records[0].bytes, 34));
}

TEST(CarSimulator, ResetKeepsTheStoreFactoryResetEmptiesIt)
{
    Line line;
    ASSERT_TRUE(line.ready());
    const carsim::InfoValues before = line.simulator.info();

    carlink::sendReset(line.port);
    line.traffic(1);
    EXPECT_EQ(line.simulator.info().dataPos, before.dataPos);
    EXPECT_EQ(line.simulator.info().dirPos, before.dirPos);

    carlink::sendFactoryReset(line.port);
    Info info;
    carlink::readInfo(line.port, info);
    EXPECT_EQ(info.DirNumber, before.dirNumber);
    EXPECT_EQ(info.DirPos, 0);
    EXPECT_EQ(info.DataPos, 0);
    EXPECT_TRUE(readDirectory(line.port, info).empty());
}

TEST(CarSimulator, DamagesRecordsOnCue)
{
    carsim::Options options;
    options.faults.wrongMagicEvery = 2;
    options.faults.silentAfter = 4;
    Line line(options);
    ASSERT_TRUE(line.ready());

    carlink::startDataTransfer(line.port, 0, 6);
    for (std::uint16_t magic : {0x4141, 0x4241, 0x4141, 0x4241}) {
        Data record;
        ASSERT_EQ(carlink::readDataRecord(line.port, record), carlink::dataRecordSize);
        EXPECT_EQ(record.magic(), magic);
        carlink::requestNext(line.port);
    }
    // Silent after the fourth.
    line.traffic(12);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(line.port.bytesAvailable(), 0);
}

TEST(CarSimulator, CutsRecordsShortOnCue)
{
    carsim::Options options;
    options.faults.shortRecordEvery = 1;
    Line line(options);
    ASSERT_TRUE(line.ready());
    carlink::startDataTransfer(line.port, 0, 1);
    Data record;
    const auto start = SteadyClock::now();
    EXPECT_EQ(carlink::readDataRecord(line.port, record), 20);
    EXPECT_GE(millisecondsSince(start), carlink::readTimeoutMs - 20);
    EXPECT_EQ(record.magic(), carlink::recordMagic);
}

TEST(CarSimulator, PutsSeededGarbageBeforeRecords)
{
    carsim::Options options;
    options.faults.garbageProbability = 1;
    options.faults.seed = 7;
    Bytes first;
    for (int run = 0; run < 2; ++run) {
        Line line(options);
        ASSERT_TRUE(line.ready());
        const carsim::Store store = line.simulator.store();
        carlink::startDataTransfer(line.port, 0, 1);
        unsigned char got[35];
        ASSERT_EQ(line.port.read(got, 35), 35);
        EXPECT_EQ(bytesOf(got + 1, 34), bytesOf(store.recordAt(0).data(), 34));
        if (run == 0)
            first = bytesOf(got, 1);
        else
            EXPECT_EQ(bytesOf(got, 1), first);  // the same seed, the same garbage
    }
}

TEST(CarSimulator, UnplugsAfterARecordAndComesBackUnderItsLink)
{
    const std::string link = "/tmp/carsim-reopen-" + std::to_string(::getpid());
    carsim::Options options;
    options.liveRate = 20;
    options.linkPath = link;
    options.faults.unplugAfter = 1;
    options.faults.reopenAfterMs = 300;
    Line line(options);
    ASSERT_TRUE(line.ready());

    carlink::sendLiveStart(line.port);
    Data record;
    ASSERT_EQ(carlink::readDataRecord(line.port, record), carlink::dataRecordSize);
    const auto start = SteadyClock::now();
    EXPECT_EQ(carlink::readDataRecord(line.port, record), -1);
    EXPECT_EQ(line.port.bytesAvailable(), -1);
    EXPECT_LT(millisecondsSince(start), carlink::readTimeoutMs / 2);

    // A new line appears under the same name.
    ZSerial again;
    int opened = 1;
    while (opened != 0 && millisecondsSince(start) < 3000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        opened = again.open(link.c_str());
    }
    ASSERT_EQ(opened, 0);
    ASSERT_EQ(again.setBaud(carlink::lineBaud), 0);
    Info info;
    carlink::readInfo(again, info);
    EXPECT_EQ(info.DirNumber, 64);
}

TEST(CarSimulator, OwnsOnlyItsOwnLink)
{
    const std::string link = "/tmp/carsim-link-" + std::to_string(::getpid());
    {
        carsim::CarSimulator simulator;
        simulator.setLinkPath(link);
        ASSERT_TRUE(simulator.start()) << simulator.errorText();
        char target[256] = {};
        ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(std::string(target), simulator.devicePath());
    }
    struct stat st;
    EXPECT_NE(::lstat(link.c_str(), &st), 0);  // gone with the simulator

    // A file that is not a link is nobody's line: left alone.
    std::FILE* f = std::fopen(link.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    carsim::CarSimulator simulator;
    simulator.setLinkPath(link);
    EXPECT_FALSE(simulator.start());
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    ::unlink(link.c_str());
}
