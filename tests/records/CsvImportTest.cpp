// Reading cardata.csv back: Save's own files come back byte for byte, and
// every other file is refused whole, naming the first bad line.

#include "CsvExport.h"
#include "CsvImport.h"
#include "CsvLine.h"
#include "CsvParser.h"
#include "GermanNumbers.h"
#include "RecordText.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

struct Calendar
{
    int year, month, day, hour, min, sec;
};

Data record(const Calendar& at)
{
    Data d;
    const int calendar[6] = {at.sec, at.min, at.hour, at.day, at.month, at.year - 1900};
    for (int i = 0; i < 6; ++i)
        d.bytes[2 + i] = static_cast<unsigned char>(calendar[i]);
    return d;
}

// `count` records a second apart from `from` (a plain calendar count, as the
// Car Computer's clock runs), every value byte drawn, often an end of its range.
void appendLog(RecordList& records, const Calendar& from, int count, unsigned& seed)
{
    struct tm t = {};
    t.tm_year = from.year - 1900, t.tm_mon = from.month - 1, t.tm_mday = from.day;
    t.tm_hour = from.hour, t.tm_min = from.min, t.tm_sec = from.sec;
    for (time_t at = timegm(&t); count-- > 0; ++at) {
        gmtime_r(&at, &t);
        Data d = record({t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec});
        for (int offset = 8; offset < 26; offset += offset == 17 ? 3 : 1) {  // 18 and 19 are not in the file
            seed = seed * 1103515245u + 12345u;
            const unsigned draw = seed >> 8;
            d.bytes[offset] = static_cast<unsigned char>(draw % 8 == 0 ? 0 : draw % 8 == 1 ? 0xff : draw >> 3);
        }
        records.push_back(d);
    }
}

std::string bytesOf(const RecordList& records)
{
    std::string all;
    for (const Data& record : records)
        all.append(reinterpret_cast<const char*>(record.bytes), sizeof(Data::bytes));
    return all;
}

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string withCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// What the window held before an Open: one record that must survive a refusal.
RecordList heldBefore()
{
    RecordList held;
    unsigned seed = 3;
    appendLog(held, {2007, 5, 6, 7, 8, 9}, 1, seed);
    return held;
}

class CsvImport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char name[] = "/tmp/tralix-csv-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

    std::string path(const char* name) const { return folder + "/" + name; }

    // Reads `file` into a list that held one record before, and checks that
    // a refusal left that record alone.
    CsvReadResult read(const std::string& file, RecordList& records, const CsvReadProgress& progress = {})
    {
        records = heldBefore();
        const CsvReadResult result = readCsv(ZString(file.c_str()), records, progress);
        if (!result.ok) {
            EXPECT_EQ(bytesOf(records), bytesOf(heldBefore())) << "a refused file changes nothing";
        }
        return result;
    }

    linktest::TimeZone berlin{"Europe/Berlin"};
    std::string folder;
};

} // namespace

// Summer time, the nights the clocks change, a leap day, the ends of the
// year byte (whose distance overflows the first column's int, as the export
// writes it), a record out of order, all under a German locale; and an hour
// whose seconds mktime does not count evenly (Amsterdam, 1937).
TEST_F(CsvImport, SavedFilesComeBackByteForByte)
{
    GermanNumbers german;
    EXPECT_TRUE(german.active()) << "the round trip runs without the decimal comma";

    unsigned seed = 7;
    RecordList logged;
    appendLog(logged, {2021, 3, 28, 1, 55, 0}, 900, seed);
    appendLog(logged, {2021, 7, 14, 12, 0, 0}, 600, seed);
    appendLog(logged, {2021, 10, 31, 2, 50, 0}, 900, seed);
    appendLog(logged, {2020, 2, 29, 23, 59, 50}, 20, seed);
    appendLog(logged, {1900, 1, 1, 0, 0, 0}, 1, seed);
    appendLog(logged, {2155, 12, 31, 23, 59, 59}, 1, seed);
    // The export counts from the first record whose time is not 0: in
    // Berlin's standard time that is any record but 1970-01-01 01:00:00.
    RecordList epochFirst;
    appendLog(epochFirst, {1970, 1, 1, 1, 0, 0}, 1, seed);
    appendLog(epochFirst, {1970, 1, 1, 1, 0, 0}, 4, seed);
    RecordList amsterdam;
    appendLog(amsterdam, {1937, 6, 30, 23, 59, 0}, 3720, seed);

    struct Case { const char* zone; const RecordList& saved; };
    for (const Case& c : {Case{"Europe/Berlin", logged}, Case{"Europe/Berlin", epochFirst},
                          Case{"Europe/Amsterdam", amsterdam}}) {
        linktest::TimeZone zone(c.zone);
        const std::string file = path("cardata.csv");
        ASSERT_EQ(writeCsv(c.saved, ZString(file.c_str())).getNumber(), 0);
        const std::string text = contents(file);

        RecordList opened;
        CsvReadResult result = read(file, opened);
        ASSERT_TRUE(result.ok) << result.reason.cStr();
        EXPECT_EQ(bytesOf(opened), bytesOf(c.saved));
        ASSERT_EQ(writeCsv(opened, ZString(file.c_str())).getNumber(), 0);
        EXPECT_EQ(contents(file), text);

        // The older PC program's line ends: the same records, written back with LF.
        writeFile(file, withCrLf(text));
        result = read(file, opened);
        ASSERT_TRUE(result.ok) << result.reason.cStr();
        EXPECT_EQ(bytesOf(opened), bytesOf(c.saved));
    }
}

namespace {

// The line as the export once wrote it with printf: the one writer is held to it.
std::string printfLine(const Data& d, long seconds)
{
    char text[160];
    std::snprintf(text, sizeof text, "%d %.4d-%.2d-%.2d %.2d:%.2d:%.2d %.2f %.2f %.2f %.2f %.2f %.2f %.2f %d %.2f\n",
                  int(seconds), 1900 + d.year(), d.month(), d.day(), d.hour(), d.min(), d.sec(), d.throttle() / 10.0,
                  d.motorSpeed() / 10.0, d.speed() / 100.0, d.voltage() / 100.0, d.current() / 100.0,
                  d.charge1() / 10.0, d.charge2() / 10.0, int(d.battery()), d.temperature() / 2.0);
    return text;
}

} // namespace

// Edge records, then every value of every field with the first column's int,
// which the export cuts a long to.
TEST(CsvLine, IsPrintfsLineForEveryRecord)
{
    struct Edge { const char* story; unsigned char fill; long seconds; };
    const Edge edges[] = {
        {"zero", 0x00, 0},
        {"maxima, calendar bytes out of range", 0xff, INT_MAX},
        {"negative seconds", 0x3b, -1},
        {"the least int", 0x80, INT_MIN},
        {"a long cut to int", 0x7f, -4294967296L - 5},
    };
    for (const Edge& edge : edges) {
        Data d;
        std::memset(d.bytes, edge.fill, sizeof d.bytes);
        EXPECT_EQ(csvLine(d, edge.seconds).cStr(), printfLine(d, edge.seconds)) << edge.story;
    }
    const long seconds[] = {0, 1, -1, 59, 100000, INT_MAX, INT_MIN, long(INT_MAX) + 1, -4294967296L - 5};
    for (unsigned v = 0; v <= 0xffff; ++v) {
        Data d;
        for (int offset = 2; offset < int(sizeof d.bytes); ++offset)
            d.bytes[offset] = static_cast<unsigned char>((v >> (offset % 2 ? 8 : 0)) + 37 * offset);
        const long first = seconds[v % (sizeof seconds / sizeof seconds[0])];
        char text[csvLineTextSize];
        const int length = csvLineText(d, first, text);
        ASSERT_EQ(std::string(text, std::size_t(length)), printfLine(d, first)) << v;
    }
}

TEST_F(CsvImport, TextsThatAreSavedFilesAreTaken)
{
    const std::string line = "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50";
    const std::string later = "10 2008-12-31 23:59:40 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00";
    struct Case { std::string text; int records; };
    const std::string crlf = line + "\r\n" + later + "\n";
    for (const Case& c : {Case{"", 0}, Case{line, 1}, Case{line + "\n" + later, 2}, Case{crlf, 2}}) {
        RecordList records = heldBefore();
        const CsvReadResult result = parseCsv(c.text.data(), c.text.size(), records);
        EXPECT_TRUE(result.ok) << c.text << ": " << result.reason.cStr();
        EXPECT_EQ(int(records.size()), c.records) << c.text;
    }

    // The worked example: every value in its own bytes, the others 0.
    Data example = record({2008, 12, 31, 23, 59, 30});
    for (auto [offset, value] : {std::pair{20, 123}, {24, 1500}, {16, 4567}, {8, 1234}, {10, 150}, {12, 100},
                                 {14, 205}, {22, 45 + 87 * 256}}) {
        example.bytes[offset] = static_cast<unsigned char>(value);
        example.bytes[offset + 1] = static_cast<unsigned char>(value >> 8);
    }
    RecordList records, expected;
    expected.push_back(example);
    ASSERT_TRUE(parseCsv(line.data(), line.size(), records).ok);
    EXPECT_EQ(bytesOf(records), bytesOf(expected));
}

TEST_F(CsvImport, OtherTextsAreRefusedAtTheirFirstBadLine)
{
    const std::string good = "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n";
    const std::string at = "2008-12-31 23:59:40";
    const std::string zeros = "0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00";
    // A second line with other values, or another time.
    auto values = [&](const std::string& text) { return good + "10 " + at + " " + text + "\n"; };
    auto stamped = [&](const std::string& seconds, const std::string& time) {
        return good + seconds + " " + time + " " + zeros + "\n";
    };
    struct Case { std::string text; int line; const char* reason; };
    const Case cases[] = {
        {"Time Date Throttle\n" + good, 1, "line 1: a header line (\"Time Date Throttle\")"},
        {values("0.00 0.00 45.678 0.00 0.00 0.00 0.00 0 0.00"), 2,
         "line 2: the Speed 45.678 has more than two decimals"},
        {values("0.00 0.00 45.6 0.00 0.00 0.00 0.00 0 0.00"), 2, "the Speed 45.6 has one decimal"},
        {values("0.00 0.00 45 0.00 0.00 0.00 0.00 0 0.00"), 2, "the Speed 45 has no decimals"},
        {values("0.00 0.00 4x.00 0.00 0.00 0.00 0.00 0 0.00"), 2, "the Speed \"4x.00\" is not a number"},
        {values("12,30 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00"), 2, "the Throttle 12,30 has a decimal comma"},
        {values("12.34 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00"), 2, "the Throttle 12.34 is not in steps of 0.1"},
        {values("0.00 0.00 655.36 0.00 0.00 0.00 0.00 0 0.00"), 2, "the Speed 655.36 is above 655.35"},
        {values("0.00 6553.60 0.00 0.00 0.00 0.00 0.00 0 0.00"), 2, "the MotorSpeed 6553.60 is above 6553.50"},
        {values("0.00 0.00 0.00 0.00 -1.50 0.00 0.00 0 0.00"), 2, "the Current -1.50 is negative"},
        {values("0.00 0.00 0.00 0.00 0.00 0.00 0.00 256 0.00"), 2, "the Battery 256 is above 255"},
        {values("0.00 0.00 0.00 0.00 0.00 0.00 0.00 87.0 0.00"), 2, "the Battery 87.0 is not a whole number"},
        {values("0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 22.25"), 2, "the Temperature 22.25 is not in steps of 0.5"},
        {values("0.00 0.00 0.00 0.00 0.00 0.00 0.00 0 128.00"), 2, "the Temperature 128.00 is above 127.50"},
        {values("012.30 0.00 0.00 0.00 0.00 0.00 0.00 0 0.00"), 2,
         "the Throttle 012.30 should be written 12.30"},
        {stamped("12", at), 2,
         "line 2: the seconds 12 do not fit the time: 2008-12-31 23:59:40 is 10 seconds from the first record"},
        {stamped("x", at), 2, "the seconds \"x\" are not a whole number"},
        {stamped("0", "2008-02-30 00:00:00"), 2, "line 2: 2008-02-30 is not a date"},
        {stamped("0", "2100-02-29 00:00:00"), 2, "2100-02-29 is not a date"},
        {stamped("0", "2156-01-01 00:00:00"), 2, "the year 2156 lies outside 1900 to 2155"},
        {stamped("0", "2008/12/31 00:00:00"), 2, "the date \"2008/12/31\" is not written YYYY-MM-DD"},
        {stamped("0", "2008-12-31 24:00:00"), 2, "24:00:00 is not a time of day"},
        {stamped("0", "2008-12-31 23.59.40"), 2, "the time \"23.59.40\" is not written hh:mm:ss"},
        {good + "10," + at + ",0.00,0.00\n", 2, "fields separated by commas"},
        {values("0.00 0.00 0.00 0.00 0.00 0.00 0.00 0"), 2, "line 2: 11 fields; a record has 12"},
        {values(zeros + " 0.00"), 2, "line 2: 13 fields; a record has 12"},
        {good + "10  " + at + " " + zeros + "\n", 2, "two spaces in a row"},
        {good + "10 " + at + " " + zeros + " \n", 2, "ends with a space"},
        {good + " 10 " + at + " " + zeros + "\n", 2, "begins with a space"},
        {good + "10\t" + at + " " + zeros + "\n", 2, "a tab where cardata.csv has a single space"},
        {good + "\n" + good, 2, "line 2: empty"},
        {"\n", 1, "line 1: empty"},
        {good + "10 " + at + std::string("\0", 1) + zeros + "\n", 2, "binary data (a NUL byte)"},
        {good + "10 " + at + "\r" + zeros + "\n", 2, "a carriage return that does not end the line"},
        {good + good + good.substr(0, 20) + "\r", 3, "a carriage return"},
        {"\xEF\xBB\xBF" + good, 1, "the byte 0xEF"},
        {good + std::string(200, '7') + "\n" + good, 2, "line 2: longer than any record (over 128 characters)"},
    };
    for (const Case& c : cases) {
        RecordList records = heldBefore();
        const CsvReadResult result = parseCsv(c.text.data(), c.text.size(), records);
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.line, c.line) << c.text;
        EXPECT_NE(std::string(result.reason.cStr()).find(c.reason), std::string::npos)
            << c.text << "\n  gave: " << result.reason.cStr() << "\n  wanted: " << c.reason;
        EXPECT_EQ(bytesOf(records), bytesOf(heldBefore())) << c.text;
    }

    // The record limit, shown with a small one: as many lines as it allows are taken, one more is not.
    const std::string three = good + "10 " + at + " " + zeros + "\n20 2008-12-31 23:59:50 " + zeros + "\n";
    for (int limit : {3, 2}) {
        CsvParser parser(limit);
        parser.feed(three.data(), three.size());
        parser.finish();
        EXPECT_EQ(parser.result().ok, limit == 3) << "limit " << limit << ": " << parser.result().reason.cStr();
        EXPECT_EQ(int(parser.records().size()), 2 + int(limit == 3)) << "limit " << limit;
        EXPECT_STREQ(parser.result().reason.cStr(),
                     limit == 3 ? "" : "line 3: more records than TralixGui holds at once (2)");
    }
}

TEST_F(CsvImport, FilesThatCannotBeReadAreRefusedWithTheReason)
{
    RecordList records;
    CsvReadResult result = read(folder, records);
    EXPECT_EQ(result.line, 0);
    EXPECT_EQ(std::string(result.reason.cStr()), folder + " is a folder, not a file");

    result = read(path("missing.csv"), records);
    EXPECT_EQ(std::string(result.reason.cStr()),
              "Cannot open file: " + path("missing.csv") + ": No such file or directory");

    // A pipe with no writer would block a plain open for good.
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    for (const std::string& special : {path("pipe"), std::string("/dev/null")})
        EXPECT_EQ(std::string(read(special, records).reason.cStr()), special + " is a device or pipe, not a file");

    // The reading stops at the first line that runs too long: no piece is taken.
    writeFile(path("long.csv"), std::string(10 * 1024 * 1024, '1'));
    int pieces = 0;
    result = read(path("long.csv"), records, [&pieces](long long, long long) { return ++pieces > 0; });
    EXPECT_EQ(std::string(result.reason.cStr()), "line 1: longer than any record (over 128 characters)");
    EXPECT_EQ(pieces, 0);
}

TEST_F(CsvImport, AFileTheUserMayNotReadIsRefused)
{
    const std::string file = path("cardata.csv");
    writeFile(file, "0 2008-12-31 23:59:30 12.30 150.00 45.67 12.34 1.50 10.00 20.50 87 22.50\n");
    chmod(file.c_str(), 0);
    if (geteuid() != 0) {
        RecordList records;
        EXPECT_NE(std::string(read(file, records).reason.cStr()).find("Permission denied"), std::string::npos);
        return;
    }
    // Root reads anything: read as the unprivileged user in a child process.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)
            _exit(2);
        RecordList records = heldBefore();
        const CsvReadResult result = readCsv(ZString(file.c_str()), records);
        const bool told = std::strstr(result.reason.cStr(), "Permission denied") != nullptr;
        _exit(!result.ok && result.line == 0 && told && bytesOf(records) == bytesOf(heldBefore()) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not become another user; 1: not refused as unreadable";
}

// A file still being written, cut short or deleted while it is read: the
// progress report is where the reading pauses between pieces, and may stop it.
TEST_F(CsvImport, AFileThatChangesWhileReadIsRefusedOneDeletedIsRead)
{
    unsigned seed = 1;
    RecordList logged;
    appendLog(logged, {2009, 6, 1, 8, 0, 0}, 5000, seed);  // several pieces long
    const std::string file = path("cardata.csv");
    RecordList records;
    const std::string changed = file + " changed while it was read; open it again once it is complete";

    struct Change { const char* what; void (*make)(const std::string&); };
    const Change changes[] = {
        {"grows", [](const std::string& name) { std::ofstream(name, std::ios::app) << "1 2009-06-01 08:00:01\n"; }},
        {"shrinks", [](const std::string& name) { ASSERT_EQ(truncate(name.c_str(), 100), 0); }},
        {"is rewritten", [](const std::string& name) {
             const int fd = open(name.c_str(), O_WRONLY);
             ASSERT_EQ(pwrite(fd, "9", 1, 0), 1);
             close(fd);
         }},
    };
    for (const Change& change : changes) {
        ASSERT_EQ(writeCsv(logged, ZString(file.c_str())).getNumber(), 0);
        struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        utimensat(AT_FDCWD, file.c_str(), old, 0);  // a change shows in the time even within one clock tick
        int pieces = 0;
        const CsvReadResult result = read(file, records, [&](long long, long long) {
            if (++pieces == 1)
                change.make(file);
            return true;
        });
        EXPECT_EQ(std::string(result.reason.cStr()), changed) << change.what;
    }

    ASSERT_EQ(writeCsv(logged, ZString(file.c_str())).getNumber(), 0);
    long long lastRead = 0, size = 0;
    const CsvReadResult result = read(file, records, [&](long long done, long long total) {
        if (lastRead == 0)
            unlink(file.c_str());
        lastRead = done;
        size = total;
        return true;
    });
    EXPECT_TRUE(result.ok) << "what was opened is read whole: " << result.reason.cStr();
    EXPECT_EQ(bytesOf(records), bytesOf(logged));
    EXPECT_EQ(lastRead, size);

    // Told to stop (the user's Cancel): refused as cancelled, at no line.
    ASSERT_EQ(writeCsv(logged, ZString(file.c_str())).getNumber(), 0);
    const CsvReadResult stopped = read(file, records, [](long long, long long) { return false; });
    EXPECT_TRUE(stopped.cancelled && stopped.line == 0) << stopped.reason.cStr();
}
