// Decoding what the Car Computer sends: BCD bytes, time stamps, record fields.

#include "CarRecords.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using linktest::TimeZone;

TEST(Bcd, ConvertsEachWay)
{
    struct Case { unsigned char bcd; int value; };
    // Nibbles are not validated: 0x3F is 3 tens and 15 units.
    const Case toBin[] = {{0x00, 0}, {0x09, 9}, {0x10, 10}, {0x30, 30}, {0x59, 59}, {0x99, 99},
                          {0x3F, 45}, {0xFF, 165}};
    for (const Case& c : toBin)
        EXPECT_EQ(bcdToBin(c.bcd), c.value) << int(c.bcd);

    const Case toBcd[] = {{0x00, 0}, {0x07, 7}, {0x10, 10}, {0x59, 59}, {0x99, 99}, {0xA0, 100}};
    for (const Case& c : toBcd)
        EXPECT_EQ(binToBcd(unsigned(c.value)), c.bcd) << c.value;
}

TEST(Calendar, DecodesInPlaceToLocalTime)
{
    TimeZone utc("UTC");
    unsigned char calendar[6] = {0x30, 0x59, 0x23, 0x31, 0x12, 0x08};
    struct tm base = {};
    const time_t t = decodeCalendar(calendar, base);

    const unsigned char decoded[6] = {30, 59, 23, 31, 12, 108};
    EXPECT_EQ(0, std::memcmp(calendar, decoded, 6));
    EXPECT_EQ(t, time_t(1230767970));  // 2008-12-31 23:59:30 UTC
    EXPECT_EQ(calendarSeconds(calendar, base), t);
}

TEST(Calendar, TakesTheDaylightSavingFlagFromTheBase)
{
    TimeZone berlin("Europe/Berlin");
    unsigned char winter[6] = {0x30, 0x59, 0x23, 0x31, 0x12, 0x08};
    struct tm standard = {};
    const time_t t = decodeCalendar(winter, standard);
    struct tm back;
    localtime_r(&t, &back);
    EXPECT_EQ(back.tm_year, 108);
    EXPECT_EQ(back.tm_mon, 11);
    EXPECT_EQ(back.tm_mday, 31);
    EXPECT_EQ(back.tm_hour, 23);
    EXPECT_EQ(back.tm_min, 59);
    EXPECT_EQ(back.tm_sec, 30);

    // A summer stamp read with the flag of a summer moment is an hour earlier than
    // the same stamp read with the flag of standard time.
    const unsigned char summer[6] = {0, 0, 12, 1, 7, 108};
    struct tm summerBase = {};
    summerBase.tm_isdst = 1;
    EXPECT_EQ(calendarSeconds(summer, standard) - calendarSeconds(summer, summerBase), 3600);
}

TEST(DataRecord, ReadsLittleEndianFieldsAtTheirOffsets)
{
    Data record;
    const unsigned char wire[carlink::dataRecordSize] = {
        0x41, 0x42,                          // "AB": not the magic
        0x30, 0x59, 0x23, 0x31, 0x12, 0x08,  // 2008-12-31 23:59:30
        0xD2, 0x04,                          // voltage 1234
        0x96, 0x00,                          // current 150
        0x64, 0x00,                          // charge1 100
        0xCD, 0x00,                          // charge2 205
        0xD7, 0x11,                          // speed 4567
        0xEE, 0xEE,                          // not used
        0x7B, 0x00,                          // throttle 123
        45,                                  // temperature
        200,                                 // battery
        0xDC, 0x05,                          // motorSpeed 1500
        1, 2, 3, 4, 5, 6, 7, 8};             // not used
    std::memcpy(record.bytes, wire, sizeof wire);

    EXPECT_EQ(record.magic(), 0x4241);
    EXPECT_EQ(record.voltage(), 1234);
    EXPECT_EQ(record.current(), 150);
    EXPECT_EQ(record.charge1(), 100);
    EXPECT_EQ(record.charge2(), 205);
    EXPECT_EQ(record.speed(), 4567);
    EXPECT_EQ(record.throttle(), 123);
    EXPECT_EQ(record.temperature(), 45);
    EXPECT_EQ(record.battery(), 200);
    EXPECT_EQ(record.motorSpeed(), 1500);

    TimeZone utc("UTC");
    EXPECT_EQ(record.decode(tm{}), time_t(1230767970));
    EXPECT_EQ(record.year(), 108);
    EXPECT_EQ(record.month(), 12);
    EXPECT_EQ(record.sec(), 30);
    // Decoding touches the calendar bytes only.
    EXPECT_EQ(0, std::memcmp(record.bytes + 8, wire + 8, sizeof wire - 8));
}

TEST(DirectoryRecord, ReadsPositionAndEmptySlot)
{
    Directory entry;
    const unsigned char wire[carlink::directoryRecordSize] = {0x41, 0x41, 0x02, 0x05, 0x09, 0x07,
                                                              0x03, 0x08, 0xD2, 0x04, 0x00, 0x00};
    std::memcpy(entry.bytes, wire, sizeof wire);
    EXPECT_EQ(entry.magic(), carlink::recordMagic);
    EXPECT_EQ(entry.dataPosition(), 1234);
    EXPECT_FALSE(entry.isEmptySlot());

    entry.bytes[7] = 0;
    EXPECT_TRUE(entry.isEmptySlot());
    entry.bytes[8] = entry.bytes[9] = entry.bytes[10] = entry.bytes[11] = 0xFF;
    EXPECT_EQ(entry.dataPosition(), -1);
}
