// The clock under the history as a table: runs of records in, the ticks
// ("index label") and breaks a stretch of them shows out.
#include "TimeAxis.h"
#include "WallClock.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

// `records` from `start` (yyyy-MM-dd hh:mm:ss), `every` seconds apart, or
// with every = 0, 14 to each second as live records come.
struct RecordRun
{
    const char* start;
    int records, every;
};

const struct Row
{
    const char* what;
    std::vector<RecordRun> runs;
    int maxTicks;
    const char* ticks;
    const char* breaks;
    qint64 first = 0, last = 1 << 30;
} rows[] = {
    {"seconds", {{"2026-03-12 14:05:07", 30, 1}}, 8,
     "3 2026-03-12 14:05:10, 8 14:05:15, 13 14:05:20, 18 14:05:25, 23 14:05:30, 28 14:05:35", ""},
    {"minutes", {{"2026-03-12 14:05:07", 60, 10}}, 6, "6 2026-03-12 14:06, 18 14:08, 30 14:10, 42 14:12, 54 14:14", ""},
    {"hours", {{"2026-03-12 09:30:00", 1800, 10}}, 6,
     "180 2026-03-12 10:00, 540 11:00, 900 12:00, 1260 13:00, 1620 14:00", ""},
    {"half days, dated where the day changes", {{"2026-03-11 18:00:00", 25920, 10}}, 7,
     "2160 2026-03-12 00:00, 6480 12:00, 10800 2026-03-13 00:00, 15120 12:00, 19440 2026-03-14 00:00, 23760 12:00",
     ""},
    {"days", {{"2026-03-11 18:00:00", 25920, 10}}, 4, "2160 2026-03-12, 10800 2026-03-13, 19440 2026-03-14", ""},
    {"a gap of 11 s is a break", {{"2026-03-12 14:05:00", 5, 1}, {"2026-03-12 14:05:15", 5, 1}}, 4,
     "0 2026-03-12 14:05:00, 5 14:05:15", "5"},
    {"a gap of 10 s is none", {{"2026-03-12 14:05:00", 5, 1}, {"2026-03-12 14:05:14", 5, 1}}, 4,
     "0 2026-03-12 14:05:00, 5 14:05:10", ""},
    {"a step back is a break", {{"2026-03-12 14:05:00", 3, 1}, {"2026-03-12 14:04:58", 3, 1}}, 8,
     "0 2026-03-12 14:05:00, 1 14:05:01, 2 14:05:02, 3 14:04:58, 4 14:04:59, 5 14:05:00", "3"},
    {"a stretch from the break on shows none", {{"2026-03-12 14:05:00", 5, 1}, {"2026-03-12 14:05:15", 5, 1}}, 4,
     "6 2026-03-12 14:05:16, 8 14:05:18", "", 5, 10},
    {"records sharing a second", {{"2026-03-12 14:05:07", 42, 0}}, 8, "0 2026-03-12 14:05:07, 14 14:05:08, 28 14:05:09",
     ""},
    {"within a second begun further left, none", {{"2026-03-12 14:05:07", 42, 0}}, 8, "", "", 3, 10},
    {"where the next second begins", {{"2026-03-12 14:05:07", 42, 0}}, 8, "14 2026-03-12 14:05:08", "", 10, 20},
    {"one record", {{"2024-02-29 23:59:59", 1, 1}}, 8, "0 2024-02-29 23:59:59", ""},
    {"none", {}, 8, "", ""},
};

TEST(TimeAxis, TicksAndBreaks)
{
    for (const Row& row : rows) {
        TimeAxis axis;
        for (const RecordRun& run : row.runs) {
            const QDateTime t = QDateTime::fromString(run.start, "yyyy-MM-dd hh:mm:ss");
            const qint64 start = wallSeconds({t.date().year(), t.date().month(), t.date().day(), t.time().hour(),
                                              t.time().minute(), t.time().second()});
            for (int k = 0; k < run.records; ++k)
                axis.append(start + (run.every ? k * run.every : k / 14));
        }
        const TimeAxis::Layout layout = axis.layout(row.first, row.last, row.maxTicks);
        QStringList ticks, breaks;
        for (const TimeAxis::Tick& tick : layout.ticks)
            ticks << QString::number(tick.index) + ' ' + TimeAxis::tickText(tick, layout.step);
        for (qint64 index : layout.breaks)
            breaks << QString::number(index);
        EXPECT_EQ(ticks.join(", ").toStdString(), row.ticks) << row.what;
        EXPECT_EQ(breaks.join(' ').toStdString(), row.breaks) << row.what;
    }
    EXPECT_EQ(wallSeconds({1970, 1, 2, 0, 0, 0}), 86400);
}

} // namespace
