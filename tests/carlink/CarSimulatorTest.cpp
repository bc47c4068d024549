// The line around the simulated Car Computer: the faults it does to records, and,
// through a real pseudo-terminal, its pacing, its unplugging and its published name.
// What the Car Computer answers is CarComputerTest's.

#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

using namespace linktest;

TEST(LineFaults, DamagesRecordsOnCue)
{
    carsim::Faults faults;
    faults.wrongMagicEvery = 2;
    faults.shortRecordEvery = 3;
    faults.shortRecordBytes = 20;
    faults.silentAfter = 5;
    faults.unplugAfter = 6;
    struct Expected { bool wrongMagic; std::size_t bytes; bool silent, unplug; };
    const Expected records[] = {
        {false, 34, false, false}, {true, 34, false, false}, {false, 20, false, false},
        {true, 34, false, false},  {false, 34, true, false}, {true, 20, true, true},
    };
    carsim::LineFaults line(faults);
    for (const Expected& e : records) {
        SCOPED_TRACE(line.recordsSent() + 1);
        const carsim::Damage d = line.damageNext(nullptr);
        EXPECT_EQ(d.wrongMagic, e.wrongMagic);
        EXPECT_EQ(d.bytes, e.bytes);
        EXPECT_EQ(d.silentAfter, e.silent);
        EXPECT_EQ(d.unplugAfter, e.unplug);
        EXPECT_TRUE(d.garbage.empty());
    }
    // New faults start their seed over, not the count of records.
    line.set(faults);
    EXPECT_TRUE(line.damageNext(nullptr).unplugAfter);
}

TEST(LineFaults, ChaosAddsToTheCountedFaults)
{
    carsim::Faults faults;
    faults.shortRecordEvery = 1;
    faults.shortRecordBytes = 20;
    carsim::ChaosDraw chaos;
    chaos.wrongMagic = true;
    chaos.shortBytes = 10;
    chaos.garbageBytes = 5;
    chaos.unplug = true;
    carsim::LineFaults line(faults);
    const carsim::Damage d = line.damageNext(&chaos);
    EXPECT_TRUE(d.wrongMagic);
    EXPECT_EQ(d.bytes, 10u);
    EXPECT_EQ(d.garbage.size(), 5u);
    EXPECT_TRUE(d.unplugAfter);
    chaos.shortBytes = 30;
    EXPECT_EQ(line.damageNext(&chaos).bytes, 20u) << "the shorter cut wins";
}

TEST(LineFaults, TheSameSeedGivesTheSameGarbageAndChaosNeverTheMagic)
{
    carsim::Faults faults;
    faults.garbageProbability = 1;
    faults.seed = 7;
    faults.chaos.on = true;
    faults.chaos.wrongMagic = faults.chaos.shortRecord = faults.chaos.garbage = 0.5;
    auto run = [](const carsim::Faults& f) {
        carsim::LineFaults line(f);
        std::vector<std::uint8_t> all;
        for (int k = 0; k < 200; ++k) {
            const carsim::ChaosDraw chaos = line.drawChaos();
            const carsim::Damage d = line.damageNext(&chaos);
            all.insert(all.end(), d.garbage.begin(), d.garbage.end());
            all.push_back(std::uint8_t(d.bytes));
            all.push_back(d.wrongMagic);
        }
        return all;
    };
    const Bytes first = run(faults);
    EXPECT_EQ(run(faults), first);
    faults.seed = 8;
    EXPECT_NE(run(faults), first);

    carsim::LineFaults line(faults);
    for (int k = 0; k < 2000; ++k)
        for (std::uint8_t b : line.damageNext(nullptr).garbage)
            ASSERT_NE(b, carsim::magicByte);
}

TEST(CarSimulator, PutsTheFaultsOnTheLine)
{
    carsim::Options options;
    options.faults.wrongMagicEvery = 2;
    options.faults.shortRecordEvery = 3;
    options.faults.shortRecordBytes = 20;
    options.faults.silentAfter = 4;
    options.faults.garbageProbability = 1;
    options.faults.seed = 7;
    Line line(options);
    ASSERT_TRUE(line.ready());
    const carsim::Store store = line.simulator.store();

    carlink::startDataTransfer(line.port, 0, 6);
    for (int k = 0; k < 4; ++k)
        carlink::requestNext(line.port);
    line.traffic(12);  // 'd', six parameter bytes and five requests
    const int expected = 4 + 34 + 34 + 20 + 34;
    ASSERT_EQ(waitForAvailable(line.port, expected), expected);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(line.port.bytesAvailable(), expected) << "silent after the fourth";
    Bytes got(expected);
    ASSERT_EQ(line.port.read(got.data(), expected), expected);

    carsim::LineFaults same(options.faults);
    std::size_t at = 0;
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const carsim::Damage d = same.damageNext(nullptr);
        ASSERT_EQ(d.garbage.size(), 1u);
        EXPECT_EQ(got[at++], d.garbage[0]);
        Bytes sent = bytesOf(store.recordAt(k).data(), d.bytes);
        if (d.wrongMagic)
            sent[1] = 'B';
        EXPECT_EQ(Bytes(got.begin() + std::ptrdiff_t(at), got.begin() + std::ptrdiff_t(at + d.bytes)), sent);
        at += d.bytes;
    }
    const carsim::SendLog log = line.simulator.sendLog();
    ASSERT_EQ(log.records.size(), 4u);
    EXPECT_EQ(log.records[2].departure, carsim::Departure::CutShort);
    EXPECT_EQ(log.records[3].departure, carsim::Departure::WrongMagic);
    EXPECT_EQ(log.garbageBytes, 4);
}

TEST(CarSimulator, APacedLineIsNeverFasterThanItsBaudAndStopsStreamingOnRequest)
{
    carsim::Options options;
    options.pacing = true;
    options.baud = 9600;  // 960 bytes a second
    options.liveRate = 0;
    Line line(options);
    ASSERT_TRUE(line.ready());

    const auto start = SteadyClock::now();
    carlink::sendLiveStart(line.port);
    for (int k = 0; k < 20; ++k) {
        Data record;
        ASSERT_EQ(carlink::readDataRecord(line.port, record), carlink::dataRecordSize);
        EXPECT_EQ(record.magic(), carlink::recordMagic);
    }
    // 'c' and 20 records, each byte ten bits.
    EXPECT_GE(millisecondsSince(start), (1 + 20 * 34) * 10 * 1000 / 9600);

    carlink::sendLiveStop(line.port);
    line.traffic(2);
    ASSERT_TRUE(line.simulator.waitUntilSent(2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    unsigned char rest[3 * 34];
    const int left = line.port.bytesAvailable();
    ASSERT_GE(left, 0);
    ASSERT_LE(left, int(sizeof rest));
    EXPECT_EQ(line.port.read(rest, left), left);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(line.port.bytesAvailable(), 0);  // the stream has stopped
    EXPECT_FALSE(line.simulator.isLive());
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
