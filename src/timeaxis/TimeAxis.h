#pragma once
// The clock under the history. The graphs keep record indexes along their
// width, so the clock is laid onto them: a tick sits at the first record at
// or after a round time, and where the clock jumps (a pause of the logger, a
// second drive) the axis shows a break instead of stretching over the gap.
// It holds each record's wall-clock second (WallClock) and the breaks, and
// lays out any stretch of records; the bottom graph draws the layout.

#include <QString>
#include <QtGlobal>

#include <vector>

class TimeAxis
{
public:
    // A longer pause between two records, or any step back, is a break.
    static constexpr qint64 breakGap = 10;

    void clear();
    // Room for this many records' times, ahead of taking in a whole file.
    void reserve(qint64 records) { times.reserve(std::size_t(records)); }
    // The next record's time, in wall-clock seconds.
    void append(qint64 seconds);
    qint64 count() const { return qint64(times.size()); }

    struct Tick
    {
        qint64 index;    // the first record at or after `seconds`
        qint64 seconds;  // a multiple of the layout's step
        bool dated;      // the first tick, or the day changed since the one before
    };
    struct Layout
    {
        qint64 step = 0;  // seconds between round times
        std::vector<Tick> ticks;
        std::vector<qint64> breaks;  // records that follow a break
    };
    // Records [first, last) with at most about `maxTicks` ticks: the
    // shortest round step that keeps within them.
    Layout layout(qint64 first, qint64 last, int maxTicks) const;

    // "14:05", with seconds when the step is shorter than a minute, the date
    // before it when dated; only the date for steps of a day or more.
    static QString tickText(const Tick& tick, qint64 step);

private:
    // Records [first, last) without a break, and the earliest time whose
    // crossing lies among them: a stretch that goes on from records left of
    // [first, last) crossed its first record's second there already.
    struct Stretch
    {
        qint64 first, last;
        qint64 from;
    };
    std::vector<Stretch> stretchesIn(qint64 first, qint64 last) const;
    qint64 roundTimesIn(const std::vector<Stretch>& stretches, qint64 step) const;

    std::vector<qint64> times;
    std::vector<qint64> breakIndexes;
};
