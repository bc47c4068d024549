#include "DriveIntegrals.h"

void DriveIntegrals::append(float second, float speed, float power)
{
    if (!open.empty() && second != openSecond) {
        markOpen(openMarks);
        settled.insert(settled.end(), openMarks.begin(), openMarks.end());
        lastSettled = open.back();
        open.clear();
    }
    openSecond = second;
    open.push_back({speed, power});
    openMarked = false;
}

void DriveIntegrals::clear()
{
    settled.clear();
    open.clear();
    openMarked = false;
}

void DriveIntegrals::markOpen(std::vector<Mark>& out) const
{
    out.clear();
    const std::size_t k = open.size();
    bool first = settled.empty();
    Mark before = first ? Mark{0, 0, 0, 0, 0} : settled.back();
    Reading previous = lastSettled;
    for (std::size_t j = 0; j < k; ++j) {
        Mark now = before;
        now.time = double(openSecond) + double(j) / double(k);
        const double step = now.time - before.time;
        const Reading& r = open[j];
        if (!first && (step > longestStep || step < 0)) {
            ++now.gaps;
        } else if (!first) {
            const double hours = step / 3600;
            now.km += (previous.speed + r.speed) / 2.0 * hours;
            now.wh += (previous.power + r.power) / 2.0 * hours;
            if (previous.speed > 0 || r.speed > 0)
                now.moving += step;
        }
        out.push_back(now);
        before = now;
        previous = r;
        first = false;
    }
}

const DriveIntegrals::Mark& DriveIntegrals::mark(qint64 index) const
{
    if (std::size_t(index) < settled.size())
        return settled[std::size_t(index)];
    if (!openMarked) {
        markOpen(openMarks);
        openMarked = true;
    }
    return openMarks[std::size_t(index) - settled.size()];
}

DriveIntegrals::Totals DriveIntegrals::between(qint64 first, qint64 last) const
{
    if (first < 0 || last > count() || last - first < 2)
        return {};
    const Mark a = mark(first);  // a copy: the next look-up may mark the open second anew
    const Mark b = mark(last - 1);
    return {b.km - a.km, b.wh - a.wh, b.moving - a.moving, b.gaps - a.gaps};
}
