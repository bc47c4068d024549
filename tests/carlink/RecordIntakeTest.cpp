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

Bytes wire(int second, int speed = 0)
{
    Reading r;
    r.speed = speed;
    const RawRecord raw = rawRecord({2009, 1, 1, 12, 0, second}, r);
    return Bytes(raw.begin(), raw.end());
}

Bytes cut(const Bytes& bytes, std::size_t length)
{
    return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// "W<second>" per whole record, "B<bytes>:<magic>" per broken run, until Nothing.
std::string answers(RecordIntake& intake, bool lineQuiet, bool lineEnd = false)
{
    std::string seen;
    for (;;) {
        const IntakeResult r = lineEnd ? intake.nextAtLineEnd() : intake.nextLive(lineQuiet);
        if (r.kind == Kind::Nothing)
            return seen;
        char text[32];
        if (r.kind == Kind::Whole)
            std::snprintf(text, sizeof text, "W%d ", r.record.sec());
        else
            std::snprintf(text, sizeof text, "B%d:%x ", r.bytes, unsigned(r.magic));
        seen += text;
    }
}

std::string tick(RecordIntake& intake, const Bytes& bytes, bool lineQuiet = false)
{
    intake.addLive(bytes.data(), int(bytes.size()));
    return answers(intake, lineQuiet);
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
    Bytes wrongMagic = wire(2);
    wrongMagic[1] = 0x42;
    RecordIntake intake;
    EXPECT_EQ(tick(intake, join({wire(1), wrongMagic, wire(3), cut(wire(4), 17)})),
              "W1 B34:4241 W3 ");
    EXPECT_EQ(intake.pending(), 17);

    // What the last run left is not framed with the next run's bytes.
    intake.startRun();
    EXPECT_EQ(tick(intake, wire(5)), "W5 ");

    // Records that wait to see what follows them: "AA" inside, an "A" last.
    Bytes endsInA = wire(7);
    endsInA.back() = 0x41;
    const std::pair<Bytes, const char*> waiting[] = {{wire(6, 0x4141), "W6 "}, {endsInA, "W7 "}, {wire(41), "W41 "}};
    for (const auto& [bytes, seen] : waiting) {
        EXPECT_EQ(tick(intake, bytes), "");
        EXPECT_EQ(answers(intake, false, true), seen);
        EXPECT_EQ(intake.pending(), 0);
    }
    // A record's beginning is let go at the line's end, without a word.
    EXPECT_EQ(tick(intake, cut(wire(8), 20)), "");
    EXPECT_EQ(answers(intake, false, true), "");
    EXPECT_EQ(intake.pending(), 0);
    EXPECT_EQ(tick(intake, wire(9), true), "W9 ");
}

TEST_F(RecordIntakeTest, DownloadReadsAreTakenByTheirLengthAndMagic)
{
    const RawRecord good = rawRecord(exampleStamp, exampleReading());
    Data raw;
    std::copy(good.begin(), good.end(), raw.bytes);
    Data wrongMagic = raw;
    wrongMagic.bytes[1] = 0x42;
    struct Case { const Data& read; int received; Kind kind; int bytes; unsigned magic; };
    const Case cases[] = {
        {raw, -1, Kind::Nothing, -1, 0},     {raw, 0, Kind::Nothing, 0, 0},
        {raw, 20, Kind::Broken, 20, 0x4141}, {wrongMagic, 34, Kind::Broken, 34, 0x4241},
        {raw, 34, Kind::Whole, 0, 0},
    };
    for (const Case& c : cases) {
        RecordIntake intake;
        const IntakeResult r = intake.takeRead(c.read, c.received);
        EXPECT_EQ(r.kind, c.kind) << c.received;
        EXPECT_EQ(r.bytes, c.bytes) << c.received;
        EXPECT_EQ(r.magic, c.magic) << c.received;
        EXPECT_EQ(intake.timeOrigin() != 0, c.kind == Kind::Whole) << "only a whole record sets the origin";
    }
    RecordIntake intake;
    const Data d = intake.takeRead(raw, 34).record;
    EXPECT_EQ(std::vector<int>({d.year(), d.month(), d.day(), d.hour(), d.min(), d.sec()}),
              std::vector<int>({108, 12, 31, 23, 59, 30}));
    EXPECT_EQ(decoded.speed(), 4567);
}

TEST_F(RecordIntakeTest, TimeCountsFromTheFirstWholeRecordOfAllRuns)
{
    RecordIntake intake;
    Bytes wrongMagic = wire(1);
    wrongMagic[1] = 0x42;
    const Bytes stream = join({wrongMagic, wire(10), wire(15)});
    intake.addLive(stream.data(), int(stream.size()));
    EXPECT_EQ(intake.nextLive(true).kind, Kind::Broken);
    EXPECT_EQ(intake.timeOrigin(), 0) << "a broken record sets no origin";
    const IntakeResult first = intake.nextLive(true);
    EXPECT_EQ(first.seconds, 0.0f);
    EXPECT_EQ(intake.timeOrigin(), first.stamp);
    EXPECT_EQ(intake.nextLive(true).seconds, 5.0f);

    intake.startRun();
    Data later;
    const Bytes at = wire(55);
    std::copy(at.begin(), at.end(), later.bytes);
    EXPECT_EQ(intake.takeRead(later, 34).seconds, 45.0f) << "a new run keeps the origin";
    EXPECT_EQ(intake.timeOrigin(), first.stamp);
}

TEST_F(RecordIntakeTest, ARecordsTimeBorrowsTheDaylightSavingFlagOfThePresentMoment)
{
    auto stampUnder = [](RecordIntake::Clock clock, const Stamp& at) {
        RecordIntake intake(clock);
        const RawRecord bytes = rawRecord(at);
        Data raw;
        std::copy(bytes.begin(), bytes.end(), raw.bytes);
        struct tm utc = {};
        utc.tm_year = at.year - 1900, utc.tm_mon = at.month - 1, utc.tm_mday = at.day;
        utc.tm_hour = at.hour, utc.tm_min = at.min, utc.tm_sec = at.sec;
        return long(intake.takeRead(raw, 34).stamp - timegm(&utc));
    };
    const RecordIntake::Clock july = [] { return std::time_t(1247659200); };    // 2009-07-15 12:00 UTC
    const RecordIntake::Clock january = [] { return std::time_t(1232020800); }; // 2009-01-15 12:00 UTC
    // Berlin is UTC+1 in standard time, UTC+2 in summer: the season of the
    // record does not count, that of the present moment does.
    EXPECT_EQ(stampUnder(july, {2009, 7, 1, 12, 0, 0}), -7200);
    EXPECT_EQ(stampUnder(july, {2009, 1, 1, 12, 0, 0}), -7200);
    EXPECT_EQ(stampUnder(january, {2009, 7, 1, 12, 0, 0}), -3600);
    EXPECT_EQ(stampUnder(january, {2009, 1, 1, 12, 0, 0}), -3600);
}
