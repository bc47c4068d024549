#include "TimeAxis.h"

#include "WallClock.h"

#include <algorithm>

namespace {

constexpr qint64 minute = 60;
constexpr qint64 hour = 3600;
constexpr qint64 day = 86400;

// Round steps a reader counts in; past them, 20, 50, 100, 200 ... days.
constexpr qint64 roundSteps[] = {
    1,      2,          5,          10,          15,          30,
    minute, 2 * minute, 5 * minute, 10 * minute, 15 * minute, 30 * minute,
    hour,   2 * hour,   3 * hour,   6 * hour,    12 * hour,
    day,    2 * day,    5 * day,    10 * day,
};

qint64 floorDivide(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

qint64 firstRoundAtOrAfter(qint64 seconds, qint64 step)
{
    return -floorDivide(-seconds, step) * step;
}

qint64 nextStep(qint64 step)
{
    for (qint64 round : roundSteps)
        if (round > step)
            return round;
    // 10, 20, 50, 100 ... days
    qint64 decade = 10 * day;
    while (decade * 10 <= step)
        decade *= 10;
    return step == decade ? 2 * decade : step == 2 * decade ? 5 * decade : 10 * decade;
}

} // namespace

void TimeAxis::clear()
{
    times.clear();
    breakIndexes.clear();
}

void TimeAxis::append(qint64 seconds)
{
    if (!times.empty() && (seconds < times.back() || seconds - times.back() > breakGap))
        breakIndexes.push_back(count());
    times.push_back(seconds);
}

std::vector<TimeAxis::Stretch> TimeAxis::stretchesIn(qint64 first, qint64 last) const
{
    std::vector<Stretch> stretches;
    const bool goesOn = first > 0 && !std::binary_search(breakIndexes.begin(), breakIndexes.end(), first);
    qint64 start = first;
    qint64 from = goesOn ? times[std::size_t(first - 1)] + 1 : times[std::size_t(first)];
    for (auto gap = std::upper_bound(breakIndexes.begin(), breakIndexes.end(), first);
         gap != breakIndexes.end() && *gap < last; ++gap) {
        stretches.push_back({start, *gap, from});
        start = *gap;
        from = times[std::size_t(start)];
    }
    stretches.push_back({start, last, from});
    return stretches;
}

qint64 TimeAxis::roundTimesIn(const std::vector<Stretch>& stretches, qint64 step) const
{
    qint64 n = 0;
    for (const Stretch& s : stretches)
        n += std::max<qint64>(0, floorDivide(times[std::size_t(s.last - 1)], step) -
                                     floorDivide(firstRoundAtOrAfter(s.from, step), step) + 1);
    return n;
}

TimeAxis::Layout TimeAxis::layout(qint64 first, qint64 last, int maxTicks) const
{
    first = std::max<qint64>(first, 0);
    last = std::min(last, count());
    Layout layout;
    if (first >= last)
        return layout;
    const std::vector<Stretch> stretches = stretchesIn(first, last);
    for (std::size_t s = 1; s < stretches.size(); ++s)
        layout.breaks.push_back(stretches[s].first);
    // The step follows the time shown, so that panning keeps it; the ticks
    // it gives, one more per stretch at most, are counted too.
    maxTicks = std::max(maxTicks, 2);
    qint64 shown = 0;
    for (const Stretch& s : stretches)
        shown += times[std::size_t(s.last - 1)] - times[std::size_t(s.first)];
    layout.step = 1;
    while ((shown > (maxTicks - 1) * layout.step || roundTimesIn(stretches, layout.step) > maxTicks) &&
           layout.step < 1000000 * day)
        layout.step = nextStep(layout.step);

    for (const Stretch& s : stretches) {
        const auto begin = times.begin() + s.first;
        const auto end = times.begin() + s.last;
        for (qint64 t = firstRoundAtOrAfter(s.from, layout.step); t <= *(end - 1); t += layout.step) {
            const qint64 index = std::lower_bound(begin, end, t) - times.begin();
            // Round times in a pause of a few seconds fall on the same record:
            // the last of them is the record's own time.
            if (!layout.ticks.empty() && layout.ticks.back().index == index)
                layout.ticks.pop_back();
            layout.ticks.push_back({index, t, false});
        }
    }
    for (std::size_t k = 0; k < layout.ticks.size(); ++k)
        layout.ticks[k].dated = k == 0 || wallDay(layout.ticks[k].seconds) != wallDay(layout.ticks[k - 1].seconds);
    return layout;
}

QString TimeAxis::tickText(const Tick& tick, qint64 step)
{
    const WallTime t = wallTime(tick.seconds);
    const QString date = QString::asprintf("%04d-%02d-%02d", t.year, t.month, t.day);
    if (step >= day)
        return date;
    const QString time = step < minute ? QString::asprintf("%02d:%02d:%02d", t.hour, t.minute, t.second)
                                       : QString::asprintf("%02d:%02d", t.hour, t.minute);
    return tick.dated ? date + QLatin1Char(' ') + time : time;
}
