// Where a value is reached: a walk along the run on the coarsest levels whose
// blocks fit it, then down through the one block that holds the answer.
#include "SampleHistory.h"

#include <algorithm>

namespace {

bool reaches(const SampleHistory::Extremes& e, float value, bool upward)
{
    return upward ? e.high >= value : e.low <= value;
}

} // namespace

qint64 SampleHistory::firstReaching(qint64 first, qint64 last, float value, bool upward) const
{
    first = std::max<qint64>(first, 0);
    last = std::min(last, size);
    const int levelCount = static_cast<int>(levels.size());
    qint64 index = first;
    while (index < last) {
        // The coarsest block that starts at `index` and ends inside the run.
        int level = -1;
        while (level + 1 < levelCount) {
            const qint64 span = qint64(1) << (blockShift * (level + 2));
            if ((index & (span - 1)) != 0 || index + span > last)
                break;
            ++level;
        }
        if (level < 0) {
            const float v = at(index);
            if (upward ? v >= value : v <= value)
                return index;
            ++index;
            continue;
        }
        const int shift = blockShift * (level + 1);
        if (!reaches(levels[std::size_t(level)][std::size_t(index >> shift)], value, upward)) {
            index += qint64(1) << shift;
            continue;
        }
        // Down through the block: the first of its parts that reaches the value holds the answer.
        for (int below = level - 1; below >= -1; --below) {
            const qint64 step = qint64(1) << (blockShift * (below + 1));
            while (below >= 0 ? !reaches(levels[std::size_t(below)][std::size_t(index / step)], value, upward)
                              : !(upward ? at(index) >= value : at(index) <= value))
                index += step;
        }
        return index;
    }
    return -1;
}
