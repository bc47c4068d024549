#include "CsvLine.h"
#include "GermanNumbers.h"
#include "RecordText.h"
#include "TestRecords.h"

#include <gtest/gtest.h>

TEST(RecordText, LiveValuesDropTheTenthsOfThrottleAndMotorSpeedButTheExportKeepsThem)
{
    Reading r = exampleReading();
    r.throttle = 129;
    const Data record = decodedRecord(exampleStamp, r);

    float values[channelCount];
    liveChannelValues(record, 5.0f, values);
    EXPECT_FLOAT_EQ(values[Throttle], 12.0f);
    EXPECT_FLOAT_EQ(values[MotorSpeed], 150.0f);
    EXPECT_FLOAT_EQ(values[Speed], 45.67f);
    EXPECT_FLOAT_EQ(values[Voltage], 12.34f);
    EXPECT_FLOAT_EQ(values[Current], 1.5f);
    EXPECT_FLOAT_EQ(values[Charge1], 10.0f);
    EXPECT_FLOAT_EQ(values[Charge2], 20.5f);
    EXPECT_FLOAT_EQ(values[Battery], 87.0f);
    EXPECT_FLOAT_EQ(values[Temperature], 22.5f);
    EXPECT_FLOAT_EQ(values[Time], 5.0f);

    EXPECT_STREQ(logLine(record, values).cStr(),
                 "2008-12-31 23:59:30 12.00 150.00 45.67 12.34 1.50 10.00 20.50 87.00 22.50\n");
    EXPECT_STREQ(csvLine(record, 0).cStr(), "0 2008-12-31 23:59:30 12.90 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n");
}

TEST(RecordText, ChannelsAreNamedInDisplayOrder)
{
    const char* expected[] = {"Throttle", "MotorSpeed", "Speed", "Voltage", "Current",
                              "Charge1", "Charge2", "Battery", "Temperature", "Time"};
    for (int c = 0; c < channelCount; ++c)
        EXPECT_STREQ(channels[c].name, expected[c]);
}

TEST(RecordText, DirectoryLineShowsTheBlockStartAndPosition)
{
    Directory entry;
    const unsigned char raw[] = {0x41, 0x41, 0x02, 0x05, 0x09, 0x07, 0x03, 0x08, 0xd2, 0x04, 0, 0};
    std::copy(std::begin(raw), std::end(raw), entry.bytes);
    struct tm base = {};
    entry.decode(base);
    EXPECT_STREQ(directoryLine(entry).cStr(), "2008-03-07 09:05:02 1234");
}

TEST(RecordText, NumbersKeepTheirDecimalPointInAGermanLocale)
{
    GermanNumbers german;
    if (!german.active())
        GTEST_SKIP() << "no German locale could be made on this machine";
    char check[16];
    std::snprintf(check, sizeof check, "%.2f", 12.34);
    ASSERT_STREQ(check, "12,34") << "the locale switch did not take";

    const Data record = decodedRecord(exampleStamp, exampleReading());
    float values[channelCount];
    liveChannelValues(record, 0.0f, values);
    EXPECT_STREQ(csvLine(record, 0).cStr(), "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n");
    EXPECT_STREQ(logLine(record, values).cStr(),
                 "2008-12-31 23:59:30 12.00 150.00 45.67 12.34 1.50 10.00 20.50 87.00 22.50\n");
}

TEST(RecordText, CursorReadOutNamesEveryValueAndTheDifferencesFromAPinnedRecord)
{
    GermanNumbers german;  // the read-out keeps the decimal point too
    const Data record = decodedRecord(exampleStamp, exampleReading());
    float values[channelCount];
    liveChannelValues(record, 3725.0f, values);
    EXPECT_STREQ(cursorText(record, values).cStr(),
                 "2008-12-31 23:59:30  Throttle 12.00  MotorSpeed 150.00  Speed 45.67  Voltage 12.34  Current 1.50  "
                 "Charge1 10.00  Charge2 20.50  Battery 87.00  Temperature 22.50  Time 3725.00  Power 18.51");

    Reading earlier = exampleReading();
    earlier.speed = 4667;
    earlier.temperature = 44;
    earlier.voltage = 1134;
    const Data pinned = decodedRecord({2008, 12, 31, 22, 57, 25}, earlier);
    float pinnedValues[channelCount];
    liveChannelValues(pinned, 0.0f, pinnedValues);
    EXPECT_STREQ(cursorDifference(pinnedValues, values).cStr(),
                 "from the pinned: +1:02:05  Throttle +0.00  MotorSpeed +0.00  Speed -1.00  Voltage +1.00  "
                 "Current +0.00  Charge1 +0.00  Charge2 +0.00  Battery +0.00  Temperature +0.50  Power +1.50");
    // Pinned after the cursor: the time runs back.
    EXPECT_STREQ(cursorDifference(values, pinnedValues).cStr(),
                 "from the pinned: -1:02:05  Throttle +0.00  MotorSpeed +0.00  Speed +1.00  Voltage -1.00  "
                 "Current +0.00  Charge1 +0.00  Charge2 +0.00  Battery +0.00  Temperature -0.50  Power -1.50");
}

// A drive of weeks counts millions of seconds: in digits, never 1e+06.
TEST(RecordText, CursorReadOutWritesMillionsInDigits)
{
    const Data record = decodedRecord(exampleStamp, exampleReading());
    float zero[channelCount] = {}, values[channelCount];
    for (const float million : {1e6f, 1951800.0f, 3000380.0f}) {
        liveChannelValues(record, million, values);
        values[MotorSpeed] = million;
        const std::string digits = std::to_string(long(million)) + ".00";
        EXPECT_NE(std::string(cursorText(record, values).cStr()).find("Time " + digits), std::string::npos);
        EXPECT_NE(std::string(cursorDifference(zero, values).cStr()).find("MotorSpeed +" + digits), std::string::npos);
    }
}
