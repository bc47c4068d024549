// The clock under the history as a table: runs of records in, the ticks
// ("index label") and breaks a stretch of them shows out.
#include "TimeAxis.h"
#include "WallClock.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RecordRun
{
    const char* start;  // yyyy-MM-dd hh:mm:ss
    int records;
    int everySeconds;   // 0: `perSecond` records share each second
    int perSecond = 1;
};

struct Row
{
    const char* what;
    std::vector<RecordRun> runs;
    int maxTicks;
    const char* ticks;
    const char* breaks;
    qint64 first = 0, last = -1;  // -1: every record
};

qint64 wallSecondsOf(const char* text)
{
    const QDateTime t = QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return wallSeconds({t.date().year(), t.date().month(), t.date().day(), t.time().hour(), t.time().minute(),
                        t.time().second()});
}

std::string shown(const TimeAxis& axis, const Row& row, std::string& breaks)
{
    const TimeAxis::Layout layout = axis.layout(row.first, row.last < 0 ? axis.count() : row.last, row.maxTicks);
    std::string ticks;
    for (const TimeAxis::Tick& tick : layout.ticks)
        ticks += (ticks.empty() ? "" : ", ") + std::to_string(tick.index) + " " +
                 TimeAxis::tickText(tick, layout.step).toStdString();
    for (qint64 index : layout.breaks)
        breaks += (breaks.empty() ? "" : " ") + std::to_string(index);
    return ticks;
}

const Row rows[] = {
    {"seconds", {{"2026-03-12 14:05:07", 30, 1}}, 8,
     "3 2026-03-12 14:05:10, 8 14:05:15, 13 14:05:20, 18 14:05:25, 23 14:05:30, 28 14:05:35", ""},
    {"minutes", {{"2026-03-12 14:05:07", 60, 10}}, 6,
     "6 2026-03-12 14:06, 18 14:08, 30 14:10, 42 14:12, 54 14:14", ""},
    {"hours", {{"2026-03-12 09:30:00", 1800, 10}}, 6,
     "180 2026-03-12 10:00, 540 11:00, 900 12:00, 1260 13:00, 1620 14:00", ""},
    {"half days, dated where the day changes", {{"2026-03-11 18:00:00", 25920, 10}}, 7,
     "2160 2026-03-12 00:00, 6480 12:00, 10800 2026-03-13 00:00, 15120 12:00, 19440 2026-03-14 00:00, 23760 12:00",
     ""},
    {"days", {{"2026-03-11 18:00:00", 25920, 10}}, 4, "2160 2026-03-12, 10800 2026-03-13, 19440 2026-03-14", ""},
    {"a gap of 11 s is a break", {{"2026-03-12 14:05:00", 5, 1}, {"2026-03-12 14:05:15", 5, 1}}, 4,
     "0 2026-03-12 14:05:00, 5 14:05:15", "5"},
    {"a gap of 10 s is none", {{"2026-03-12 14:05:00", 5, 1}, {"2026-03-12 14:05:14", 5, 1}}, 4,
     "0 2026-03-12 14:05:00, 5 14:05:10, 6 14:05:15", ""},
    {"a step back is a break", {{"2026-03-12 14:05:00", 3, 1}, {"2026-03-12 14:04:58", 3, 1}}, 8,
     "0 2026-03-12 14:05:00, 1 14:05:01, 2 14:05:02, 3 14:04:58, 4 14:04:59, 5 14:05:00", "3"},
    {"a stretch starting at the break shows none", {{"2026-03-12 14:05:00", 5, 1}, {"2026-03-12 14:05:15", 5, 1}},
     4, "6 2026-03-12 14:05:16, 8 14:05:18", "", 5, 10},
    {"records sharing a second", {{"2026-03-12 14:05:07", 42, 0, 14}}, 8,
     "0 2026-03-12 14:05:07, 14 14:05:08, 28 14:05:09", ""},
    {"one record", {{"2026-03-12 14:05:07", 1, 1}}, 8, "0 2026-03-12 14:05:07", ""},
    {"none", {}, 8, "", ""},
};

TEST(TimeAxis, TicksAndBreaks)
{
    for (const Row& row : rows) {
        TimeAxis axis;
        for (const RecordRun& run : row.runs) {
            const qint64 start = wallSecondsOf(run.start);
            for (int k = 0; k < run.records; ++k)
                axis.append(start + (run.everySeconds ? k * run.everySeconds : k / run.perSecond));
        }
        std::string breaks;
        EXPECT_EQ(shown(axis, row, breaks), row.ticks) << row.what;
        EXPECT_EQ(breaks, row.breaks) << row.what;
    }
}

TEST(TimeAxis, WallClockCountsCalendarSecondsBothWays)
{
    for (const WallTime t : {WallTime{1970, 1, 1, 0, 0, 0}, WallTime{2024, 2, 29, 23, 59, 59},
                             WallTime{1999, 12, 31, 12, 0, 1}, WallTime{2100, 3, 1, 0, 0, 0}}) {
        const WallTime back = wallTime(wallSeconds(t));
        EXPECT_EQ(QString::asprintf("%d-%d-%d %d:%d:%d", back.year, back.month, back.day, back.hour, back.minute, back.second),
                  QString::asprintf("%d-%d-%d %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute, t.second));
    }
    EXPECT_EQ(wallSeconds({2026, 3, 12, 0, 0, 0}) % 86400, 0);
    EXPECT_EQ(wallSeconds({1970, 1, 2, 0, 0, 0}), 86400);
}

} // namespace
