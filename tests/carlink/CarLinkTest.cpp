// Every exchange with the Car Computer, checked byte for byte on the line.

#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace linktest;

namespace {

Bytes dataBytes(const Data& record) { return bytesOf(record.bytes, sizeof record.bytes); }
Bytes entryBytes(const Directory& entry) { return bytesOf(entry.bytes, sizeof entry.bytes); }
template <std::size_t N> Bytes bytesOf(const std::array<std::uint8_t, N>& a)
{
    return Bytes(a.begin(), a.end());
}

// A full data ring: every position holds a record, the oldest at DataPos + 1.
carsim::Options fullStore(int directorySlots)
{
    carsim::Options o;
    o.blocks = 1;
    o.recordsPerBlock = carsim::defaultPositions + 500;
    o.directorySlots = directorySlots;
    return o;
}

} // namespace

TEST(CarLink, SendsEachOneByteCommandAlone)
{
    struct Case { int (*send)(ZSerial&); std::uint8_t byte; };
    const Case cases[] = {{carlink::sendLiveStart, 'c'}, {carlink::sendLiveStop, 'r'},
                          {carlink::sendReset, 'R'},     {carlink::sendFactoryReset, 'Z'},
                          {carlink::requestNext, 'n'}};
    for (const Case& c : cases) {
        Line line;
        ASSERT_TRUE(line.ready());
        EXPECT_EQ(c.send(line.port), 1);
        EXPECT_EQ(line.traffic(1), Bytes{c.byte});
    }
    ZSerial closed;
    EXPECT_EQ(carlink::sendLiveStart(closed), -1);
}

TEST(CarLink, ReadsTheInfoReply)
{
    struct Case { Bytes reply; std::uint16_t dirNumber, dirPos; std::int32_t dataPos; };
    const Case cases[] = {
        {{0x05, 0x00, 0x02, 0x00, 0x10, 0x27, 0x00, 0x00}, 5, 2, 10000},
        {{0x00, 0x01, 0x0A, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, 256, 10, -1},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00}, 0, 0, 2048},
    };
    for (const Case& c : cases) {
        Line line;
        ASSERT_TRUE(line.ready());
        line.simulator.setInfoReply(c.reply);
        Info info;
        carlink::readInfo(line.port, info);
        EXPECT_EQ(line.traffic(1), Bytes{'i'});
        EXPECT_EQ(info.DirNumber, c.dirNumber);
        EXPECT_EQ(info.DirPos, c.dirPos);
        EXPECT_EQ(info.DataPos, c.dataPos);
        EXPECT_EQ(line.port.bytesAvailable(), 0);
    }
}

TEST(CarLink, KeepsInfoFieldsWhoseReadFails)
{
    Line line;
    ASSERT_TRUE(line.ready());
    line.simulator.setInfoReply({0x05, 0x00, 0x02});  // cut off inside DirPos
    Info info;
    info.DirNumber = 7;
    info.DirPos = 8;
    info.DataPos = 9;
    carlink::readInfo(line.port, info);
    EXPECT_EQ(info.DirNumber, 5);
    EXPECT_EQ(info.DirPos, 8);
    EXPECT_EQ(info.DataPos, 9);
}

TEST(CarLink, DirectoryTransferAsksForEachEntry)
{
    Line line;
    ASSERT_TRUE(line.ready());
    const carsim::Store store = line.simulator.store();  // 3 blocks, 64 slots, DirPos 3
    Info info;
    carlink::readInfo(line.port, info);
    ASSERT_EQ(info.DirNumber, 64);
    ASSERT_EQ(info.DirPos, 3);

    carlink::startDirectoryTransfer(line.port, 3, 64);
    std::vector<Directory> entries(64);
    for (Directory& entry : entries)
        ASSERT_EQ(carlink::readDirectoryEntry(line.port, entry), carlink::directoryRecordSize);

    Bytes expected = {'i', 'd', 0x03, 0x00, 0x00, 0x00, 0x40, 0x00};
    expected.insert(expected.end(), 64, 'n');
    EXPECT_EQ(line.traffic(expected.size()), expected);
    for (int k = 0; k < 64; ++k) {
        EXPECT_EQ(entries[k].magic(), carlink::recordMagic);
        EXPECT_EQ(entryBytes(entries[k]), bytesOf(store.directory[(3 + k) % 64])) << k;
        EXPECT_EQ(entries[k].isEmptySlot(), k < 61) << k;
    }
    EXPECT_EQ(entries[61].dataPosition(), 0);
    EXPECT_EQ(entries[62].dataPosition(), 100);
    EXPECT_EQ(entries[63].dataPosition(), 200);
}

TEST(CarLink, DataTransferSendsStartCountAndOneRequestPerRecord)
{
    struct Case { std::int32_t start; std::uint16_t num; Bytes parameters; };
    const Case cases[] = {
        {100, 5, {0x64, 0x00, 0x00, 0x00, 0x05, 0x00}},
        {-1, 2, {0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00}},
        // A start whose first byte is 'n' is still a start.
        {0x6E, 3, {0x6E, 0x00, 0x00, 0x00, 0x03, 0x00}},
        {0x01020304, 1, {0x04, 0x03, 0x02, 0x01, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        Line line(fullStore(64));
        ASSERT_TRUE(line.ready());
        const carsim::Store store = line.simulator.store();

        carlink::startDataTransfer(line.port, c.start, c.num);
        for (int k = 0; k < c.num; ++k) {
            Data record;
            ASSERT_EQ(carlink::readDataRecord(line.port, record), carlink::dataRecordSize);
            EXPECT_EQ(dataBytes(record), bytesOf(store.recordAt(std::int64_t(c.start) + k)))
                << c.start << " record " << k;
            carlink::requestNext(line.port);
        }
        Bytes expected = {'d'};
        expected.insert(expected.end(), c.parameters.begin(), c.parameters.end());
        expected.insert(expected.end(), c.num + 1u, 'n');
        EXPECT_EQ(line.traffic(expected.size()), expected) << c.start;

        // The request after the last record finds no transfer: nothing more comes.
        ASSERT_TRUE(line.simulator.waitUntilSent(1000));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(line.port.bytesAvailable(), 0) << c.start;
        EXPECT_EQ(line.simulator.dataRecordsSent(), c.num) << c.start;
    }
}

TEST(CarLink, OlderTransferStreamsTheStoreWithoutAcknowledgement)
{
    Line line(fullStore(64));
    ASSERT_TRUE(line.ready());
    const carsim::Store store = line.simulator.store();

    carlink::startOlderTransfer(line.port);
    EXPECT_EQ(line.traffic(2), (Bytes{'d', 'n'}));
    for (int k = 0; k < 3; ++k) {
        Data record;
        ASSERT_EQ(carlink::readDataRecord(line.port, record), carlink::dataRecordSize);
        // The oldest record first, with no acknowledgement byte before it.
        EXPECT_EQ(dataBytes(record), bytesOf(store.recordAt(std::int64_t(store.dataPos) + 1 + k)));
        carlink::requestNext(line.port);
    }
}

TEST(CarLink, AfterAnInfoWithoutDirectoryTheTransferIsForData)
{
    // "All Data": the program asks for Info, finds no directory, and downloads the
    // whole store with nothing sent in between.
    Line line(fullStore(0));
    ASSERT_TRUE(line.ready());
    const carsim::Store store = line.simulator.store();
    Info info;
    carlink::readInfo(line.port, info);
    ASSERT_EQ(info.DirNumber, 0);

    const std::int32_t start = info.DataPos + 1 > carlink::wholeStoreHighestStart ? 0 : info.DataPos + 1;
    carlink::startDataTransfer(line.port, start, 2);
    Data record;
    ASSERT_EQ(carlink::readDataRecord(line.port, record), carlink::dataRecordSize);
    EXPECT_EQ(dataBytes(record), bytesOf(store.recordAt(start)));
}

namespace {

// The PC's local time handed to the set-clock exchange.
struct tm clockSetting(const carsim::Stamp& stamp = {2008, 3, 7, 9, 5, 2})
{
    struct tm at = {};
    at.tm_year = stamp.year - 1900;
    at.tm_mon = stamp.month - 1;
    at.tm_mday = stamp.day;
    at.tm_hour = stamp.hour;
    at.tm_min = stamp.minute;
    at.tm_sec = stamp.second;
    return at;
}

} // namespace

TEST(CarLink, SetsTheClockOneAcknowledgedByteAtATime)
{
    struct Case { carsim::Stamp set; Bytes sent; };
    // Fields of 10 and more tell BCD from binary: 45 is 0x45 in BCD, 0x2d in binary.
    const Case cases[] = {
        {{2008, 3, 7, 9, 5, 2}, {0x74, 0x02, 0x05, 0x09, 0x07, 0x03, 0x08}},
        {{2031, 12, 28, 23, 45, 17}, {0x74, 0x17, 0x45, 0x23, 0x28, 0x12, 0x31}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set.year);
        Line line;
        ASSERT_TRUE(line.ready());
        EXPECT_EQ(carlink::setClock(line.port, clockSetting(c.set)), 0);
        EXPECT_EQ(line.traffic(7), c.sent);
        EXPECT_EQ(line.port.bytesAvailable(), 0);  // every acknowledgement was read

        // The Car Computer now keeps that time, and stamps its records with it.
        EXPECT_LE(carsim::stampSeconds(line.simulator.clock()) - carsim::stampSeconds(c.set), 2);
        carlink::sendLiveStart(line.port);
        Data record;
        ASSERT_EQ(carlink::readDataRecord(line.port, record), carlink::dataRecordSize);
        EXPECT_EQ(bytesOf(record.bytes + 3, 5), Bytes(c.sent.begin() + 2, c.sent.end()));
    }
}

TEST(CarLink, StopsSettingTheClockAtTheFirstMissingAcknowledgement)
{
    struct Case { int acknowledged; Bytes sent; };
    const Case cases[] = {{0, {0x74}}, {3, {0x74, 0x02, 0x05, 0x09}}};
    const struct tm at = clockSetting();
    for (const Case& c : cases) {
        Line line;
        ASSERT_TRUE(line.ready());
        line.simulator.muteAfterBytes(c.acknowledged);
        EXPECT_EQ(carlink::setClock(line.port, at), -1);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(line.simulator.received(), c.sent) << c.acknowledged;
    }
}
