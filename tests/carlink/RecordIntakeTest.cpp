// Received bytes into records: live ticks, the line's end, download reads, time.
#include "RecordIntake.h"
#include "TestRecords.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using Kind = IntakeResult::Kind;

Bytes wire(int second, int speed = 0, std::size_t length = carlink::dataRecordSize)
{
    Reading r;
    r.speed = speed;
    const RawRecord raw = rawRecord({2009, 1, 1, 12, 0, second}, r);
    return Bytes(raw.begin(), raw.begin() + std::ptrdiff_t(length));
}

Bytes wrongMagic(int second)
{
    Bytes bytes = wire(second);
    bytes[1] = 0x42;
    return bytes;
}

template <typename Container>
Data read(const Container& bytes)
{
    Data raw;
    std::copy(bytes.begin(), bytes.end(), raw.bytes);
    return raw;
}

// A tick's bytes, then "W<second>" per whole record and "B<bytes>:<magic>" per
// broken run, until Nothing; with `lineEnd` the line closes after them.
std::string tick(RecordIntake& intake, std::initializer_list<Bytes> parts, bool lineQuiet = false, bool lineEnd = false)
{
    for (const Bytes& p : parts)
        intake.addLive(p.data(), int(p.size()));
    std::string seen;
    char text[32];
    for (IntakeResult r; (r = lineEnd ? intake.nextAtLineEnd() : intake.nextLive(lineQuiet)).kind != Kind::Nothing;) {
        if (r.kind == Kind::Whole)
            std::snprintf(text, sizeof text, "W%d ", r.record.sec());
        else
            std::snprintf(text, sizeof text, "B%d:%x ", r.bytes, unsigned(r.magic));
        seen += text;
    }
    return seen;
}

class RecordIntakeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
};

} // namespace

TEST_F(RecordIntakeTest, ALiveRunStartsEmptyAndKeepsTheRecordTheLineEndsBehind)
{
    RecordIntake intake;
    EXPECT_EQ(tick(intake, {wire(1), wrongMagic(2), wire(3), wire(4, 0, 17)}), "W1 B34:4241 W3 ");
    EXPECT_EQ(intake.pending(), 17);
    // What the last run left is not framed with the next run's bytes.
    intake.startRun();
    EXPECT_EQ(tick(intake, {wire(5)}), "W5 ");

    // Records that wait to see what follows them: "AA" inside, an "A" last, "AAA" first.
    Bytes endsInA = wire(7);
    endsInA.back() = 0x41;
    const std::pair<Bytes, const char*> waiting[] = {{wire(6, 0x4141), "W6 "}, {endsInA, "W7 "}, {wire(41), "W41 "}};
    for (const auto& [bytes, seen] : waiting) {
        EXPECT_EQ(tick(intake, {bytes}), "");
        EXPECT_EQ(tick(intake, {}, true, true), seen);
        EXPECT_EQ(intake.pending(), 0);
    }
    // A record's beginning is let go at the line's end, without a word.
    EXPECT_EQ(tick(intake, {wire(8, 0, 20)}, false, true), "");
    EXPECT_EQ(intake.pending(), 0);
    EXPECT_EQ(tick(intake, {wire(9)}, true), "W9 ");
}

TEST_F(RecordIntakeTest, DownloadReadsAreTakenByTheirLengthAndMagic)
{
    const Data good = read(rawRecord(exampleStamp, exampleReading()));
    struct Case { Data read; int received; Kind kind; int bytes; unsigned magic; };
    const Case cases[] = {
        {good, -1, Kind::Nothing, -1, 0}, {good, 0, Kind::Nothing, 0, 0}, {good, 20, Kind::Broken, 20, 0x4141},
        {read(wrongMagic(1)), 34, Kind::Broken, 34, 0x4241}, {good, 34, Kind::Whole, 0, 0},
    };
    for (const Case& c : cases) {
        RecordIntake intake;
        const IntakeResult r = intake.takeRead(c.read, c.received);
        EXPECT_EQ(std::make_tuple(r.kind, r.bytes, unsigned(r.magic)), std::make_tuple(c.kind, c.bytes, c.magic))
            << c.received;
        if (r.kind == Kind::Whole) {
            EXPECT_EQ(std::vector<int>({r.record.year(), r.record.month(), r.record.day(), r.record.hour(),
                                        r.record.min(), r.record.sec(), r.record.speed()}),
                      std::vector<int>({108, 12, 31, 23, 59, 30, 4567}));
        }
    }
}

TEST_F(RecordIntakeTest, StampsAreCalendarTimesInThePresentSeason)
{
    RecordIntake intake;
    const Bytes stream[] = {wrongMagic(1), wire(10), wire(15)};
    for (const Bytes& part : stream)
        intake.addLive(part.data(), int(part.size()));
    EXPECT_EQ(intake.nextLive(true).kind, Kind::Broken);
    const IntakeResult first = intake.nextLive(true);
    EXPECT_EQ(intake.nextLive(true).stamp - first.stamp, 5);

    // Berlin is UTC+1 in standard time, UTC+2 in summer. A record's calendar
    // time takes the season of the present moment, not its own.
    const RecordIntake::Clock july = [] { return std::time_t(1247659200); };     // 2009-07-15 12:00 UTC
    const RecordIntake::Clock january = [] { return std::time_t(1232020800); };  // 2009-01-15 12:00 UTC
    const std::time_t januaryNoonUtc = 1230811200;                              // wire(0): 2009-01-01 12:00
    EXPECT_EQ(RecordIntake(july).takeRead(read(wire(0)), 34).stamp, januaryNoonUtc - 7200);
    EXPECT_EQ(RecordIntake(january).takeRead(read(wire(0)), 34).stamp, januaryNoonUtc - 3600);
    const Data summerNoon = read(rawRecord({2009, 7, 1, 12, 0, 0}));
    EXPECT_EQ(RecordIntake(january).takeRead(summerNoon, 34).stamp, 1246449600 - 3600);  // 2009-07-01 12:00 UTC
}
