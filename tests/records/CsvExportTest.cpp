#include "CsvExport.h"
#include "TempFolder.h"
#include "TestRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A file's text; never follows a link to a device (the full disk is /dev/full,
// whose endless zeros no read would finish).
std::string contents(const std::string& path)
{
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(path, error)))
        return "<no regular file>";
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    ASSERT_TRUE(file);
    file << text;
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

class CsvExport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        ASSERT_TRUE(folder.isValid());
        csv = folder.filePath("cardata.csv");
    }
    ZString csvName() const { return ZString(csv.c_str()); }

    TempFolder folder;
    std::string csv;
};

} // namespace

TEST_F(CsvExport, WritesOneLinePerRecordCountingSecondsFromTheFirst)
{
    RecordList records;
    records.push_back(decodedRecord(exampleStamp, exampleReading()));
    records.push_back(decodedRecord({2008, 12, 31, 23, 59, 40}));
    records.push_back(decodedRecord({2009, 1, 1, 0, 0, 0}));

    ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
    EXPECT_EQ(contents(csv),
              "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n"
              "10 2008-12-31 23:59:40 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00\n"
              "30 2009-01-01 00:00:00 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00\n");
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"cardata.csv"}) << "no temporary file is left";
}

TEST_F(CsvExport, NoRecordsGiveAnEmptyFileAndSavingTwiceGivesTheSameFile)
{
    writeText(csv, "old contents\n");
    RecordList records;
    ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
    EXPECT_EQ(contents(csv), "");

    records.push_back(decodedRecord(exampleStamp));
    ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
    const std::string first = contents(csv);
    ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
    EXPECT_EQ(contents(csv), first);
}

TEST_F(CsvExport, AFolderThatCannotBeWrittenIsReportedAsNotOpened)
{
    RecordList records;
    records.push_back(decodedRecord(exampleStamp));
    const ZError err = writeCsv(records, ZString(folder.filePath("missing/cardata.csv").c_str()));
    EXPECT_EQ(err.getNumber(), csvCannotOpen);
    EXPECT_EQ(std::string(err.getString().cStr()).rfind("Cannot open file: ", 0), 0u) << err.getString().cStr();
}

TEST_F(CsvExport, AFullDiskIsReportedAndThePreviousFileIsKept)
{
    writeText(csv, "the previous export\n");
    // The export writes beside the target first; make that file the full disk.
    const std::string temp = csv + "." + std::to_string(long(getpid())) + ".tmp";
    ASSERT_EQ(symlink("/dev/full", temp.c_str()), 0);

    RecordList records;
    for (int i = 0; i < 200; ++i)
        records.push_back(decodedRecord(exampleStamp, exampleReading()));
    const ZError err = writeCsv(records, csvName());
    EXPECT_EQ(err.getNumber(), csvCannotWrite);
    EXPECT_NE(std::string(err.getString().cStr()).find("No space left on device"), std::string::npos)
        << err.getString().cStr();
    EXPECT_EQ(contents(csv), "the previous export\n");
    std::error_code error;
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp, error)));
}

TEST_F(CsvExport, SecondsCountAsStandardTimeInSummerAndAcrossTheChangeOfClocks)
{
    // Berlin's clocks went forward on 2009-03-29 at 02:00 and back on 2009-10-25
    // at 03:00; the Car Computer's clock knows nothing of it.
    struct Case { const char* story; Stamp stamps[3]; const char* firstColumns; };
    const Case cases[] = {
        {"July", {{2009, 7, 15, 23, 59, 50}, {2009, 7, 16, 0, 0, 0}, {2009, 7, 16, 1, 0, 0}}, "0 10 3610 "},
        {"clocks forward", {{2009, 3, 29, 1, 59, 50}, {2009, 3, 29, 2, 30, 0}, {2009, 3, 29, 3, 0, 10}}, "0 1810 3620 "},
        {"clocks back", {{2009, 10, 25, 1, 59, 50}, {2009, 10, 25, 2, 30, 0}, {2009, 10, 25, 3, 0, 10}}, "0 1810 3620 "},
    };
    for (const Case& c : cases) {
        RecordList records;
        for (const Stamp& at : c.stamps)
            records.push_back(decodedRecord(at, exampleReading()));
        ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
        std::istringstream lines(contents(csv));
        std::string firstColumns, line, last;
        while (std::getline(lines, line))
            firstColumns += (last = line).substr(0, line.find(' ') + 1);
        EXPECT_EQ(firstColumns, c.firstColumns) << c.story;
        if (c.stamps[0].month == 7) {
            // The time column shows the Car Computer's clock as it was.
            EXPECT_EQ(last, "3610 2009-07-16 01:00:00 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50");
        }
    }
}

TEST_F(CsvExport, AMinuteOutOfItsRangeCountsAsMktimeCountsIt)
{
    // A garbled minute byte, 75, reaches past 2011-03-27 01:00 into the next
    // hour, which in Moscow, its clocks moved for good, mktime finds no
    // standard time for: the export writes what mktime says all the same.
    setenv("TZ", "Europe/Moscow", 1);
    tzset();
    Data hourStart, garbled;
    const unsigned char calendar[] = {0, 0, 1, 27, 3, 111};
    std::copy(std::begin(calendar), std::end(calendar), hourStart.bytes + 2);
    std::copy(std::begin(calendar), std::end(calendar), garbled.bytes + 2);
    garbled.bytes[3] = 75;
    const RecordList records = {hourStart, garbled};
    ASSERT_EQ(writeCsv(records, csvName()).getNumber(), 0);
    const std::string seconds = std::to_string(exportSeconds(garbled) - exportSeconds(hourStart));
    EXPECT_EQ(contents(csv).substr(contents(csv).find('\n') + 1, seconds.size() + 1), seconds + " ");
}
