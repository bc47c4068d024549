// What the clock under the history costs: taking a million records' times,
// and laying out the axis (which every repaint of the bottom axis does) over
// all of them, a few minutes of them, and a million records each after a
// break, the worst a garbled file can give. Prints figures; asserts nothing.
#include "TimeAxis.h"
#include "WallClock.h"

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Milliseconds of one layout, the best of five.
double layoutMs(const TimeAxis& axis, qint64 first, qint64 last, std::size_t& ticks)
{
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const Clock::time_point start = Clock::now();
        ticks = axis.layout(first, last, 9).ticks.size();
        best = std::min(best, millisecondsSince(start));
    }
    return best;
}

void report(const char* what, qint64 secondsApart)
{
    constexpr qint64 records = 1000000;
    const qint64 origin = wallSeconds({2026, 3, 12, 7, 58, 30});
    TimeAxis axis;
    const Clock::time_point start = Clock::now();
    for (qint64 i = 0; i < records; ++i) {
        const WallTime t = wallTime(origin + i * secondsApart / 14);
        axis.append(wallSeconds(t));  // as a record's calendar comes in
    }
    std::printf("%s: 1,000,000 records taken in %.1f ms\n", what, millisecondsSince(start));
    std::size_t ticks = 0;
    for (const qint64 span : {records, qint64(14 * 300), qint64(40)}) {
        const double ms = layoutMs(axis, records / 2, records / 2 + span, ticks);
        std::printf("  layout of %7lld records: %9.1f us, %zu ticks\n", static_cast<long long>(span), ms * 1000, ticks);
    }
}

} // namespace

int main()
{
    report("14 records a second", 1);
    report("a break before every record", 14 * 60);
    return 0;
}
