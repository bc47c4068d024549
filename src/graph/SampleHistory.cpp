#include "SampleHistory.h"

#include "IndexScale.h"

#include <algorithm>

namespace {

void widen(SampleHistory::Extremes& e, float value)
{
    if (value < e.low)
        e.low = value;
    if (value > e.high)
        e.high = value;
}

void widen(SampleHistory::Extremes& e, const SampleHistory::Extremes& by)
{
    if (by.low < e.low)
        e.low = by.low;
    if (by.high > e.high)
        e.high = by.high;
}

} // namespace

void SampleHistory::append(float value)
{
    const qint64 index = size;
    if ((index & chunkMask) == 0)
        chunks.emplace_back(new float[chunkSize]);
    chunks.back()[index & chunkMask] = value;
    ++size;

    for (std::size_t level = 0;; ++level) {
        const int shift = blockShift * static_cast<int>(level + 1);
        if (level == levels.size()) {
            // A level starts when the samples outgrow its first block, with
            // that block's extremes as its first entry.
            if ((index >> shift) == 0)
                break;
            Extremes first = none;
            include(static_cast<int>(level) - 1, 0, qint64(1) << blockShift, first);
            levels.emplace_back(1, first);
        }
        std::vector<Extremes>& entries = levels[level];
        if ((index & ((qint64(1) << shift) - 1)) == 0)
            entries.push_back({value, value});
        else
            widen(entries.back(), value);
    }
}

void SampleHistory::clear()
{
    chunks.clear();
    levels.clear();
    size = 0;
    ++clearCount;
}

void SampleHistory::include(int level, qint64 first, qint64 last, Extremes& result) const
{
    if (level >= 0) {
        const std::vector<Extremes>& entries = levels[static_cast<std::size_t>(level)];
        for (qint64 i = first; i < last; ++i)
            widen(result, entries[static_cast<std::size_t>(i)]);
        return;
    }
    // Samples, a chunk's stretch at a time.
    while (first < last) {
        const float* chunk = chunks[static_cast<std::size_t>(first >> chunkShift)].get();
        const qint64 end = std::min(last, (first | chunkMask) + 1);
        for (qint64 i = first; i < end; ++i)
            widen(result, chunk[i & chunkMask]);
        first = end;
    }
}

SampleHistory::Extremes SampleHistory::extremes(qint64 first, qint64 last) const
{
    Extremes result = none;
    first = std::max<qint64>(first, 0);
    last = std::min(last, size);
    // Climb as long as a level above covers whole blocks inside the run, taking
    // the ragged ends on each level on the way.
    int level = -1;
    while (first < last) {
        const qint64 up = (first + (qint64(1) << blockShift) - 1) >> blockShift;
        const qint64 upEnd = last >> blockShift;
        if (level + 1 >= static_cast<int>(levels.size()) || up >= upEnd) {
            include(level, first, last, result);
            break;
        }
        include(level, first, up << blockShift, result);
        include(level, upEnd << blockShift, last, result);
        first = up;
        last = upEnd;
        ++level;
    }
    return result;
}

void SampleHistory::columnExtremes(qint64 first, qint64 last, int columns, std::vector<Extremes>& out) const
{
    out.assign(static_cast<std::size_t>(std::max(columns, 0)), none);
    if (columns <= 0 || last <= first)
        return;
    const IndexScale scale{first, last - first, columns};
    qint64 start = scale.columnStart(0);
    for (int c = 0; c < columns; ++c) {
        const qint64 end = scale.columnStart(c + 1);
        out[static_cast<std::size_t>(c)] = extremes(start, end);
        start = end;
    }
}

std::size_t SampleHistory::bytesUsed() const
{
    std::size_t bytes = chunks.capacity() * sizeof(chunks[0]) + chunks.size() * chunkSize * sizeof(float);
    bytes += levels.capacity() * sizeof(levels[0]);
    for (const std::vector<Extremes>& entries : levels)
        bytes += entries.capacity() * sizeof(Extremes);
    return bytes;
}
