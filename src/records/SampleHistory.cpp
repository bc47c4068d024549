#include "SampleHistory.h"

#include "IndexScale.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

// In the form that compiles to min and max instructions rather than to
// branches that noisy samples would mispredict.
void widen(SampleHistory::Extremes& e, float value)
{
    e.low = value < e.low ? value : e.low;
    e.high = value > e.high ? value : e.high;
}

} // namespace

void SampleHistory::FreeChunk::operator()(float* chunk) const
{
    std::free(chunk);
}

void SampleHistory::append(float value)
{
    const qint64 index = size;
    if ((index & chunkMask) == 0) {
        constexpr std::size_t cacheLine = 64;
        void* chunk = std::aligned_alloc(cacheLine, chunkSize * sizeof(float));
        if (!chunk)
            throw std::bad_alloc();
        chunks.emplace_back(static_cast<float*>(chunk));
    }
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
    // Kept in locals: the compiler cannot tell `result` from the samples.
    float low = result.low;
    float high = result.high;
    if (level >= 0) {
        const Extremes* entries = levels[static_cast<std::size_t>(level)].data();
        for (qint64 i = first; i < last; ++i) {
            low = entries[i].low < low ? entries[i].low : low;
            high = entries[i].high > high ? entries[i].high : high;
        }
    } else {
        // Samples, a chunk's stretch at a time.
        while (first < last) {
            const float* chunk = chunks[static_cast<std::size_t>(first >> chunkShift)].get();
            const qint64 end = std::min(last, (first | chunkMask) + 1);
            for (qint64 i = first; i < end; ++i) {
                const float v = chunk[i & chunkMask];
                low = v < low ? v : low;
                high = v > high ? v : high;
            }
            first = end;
        }
    }
    result = {low, high};
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
    // Zoomed out, each column's ends lie far apart in memory that the cache
    // has not seen: ask for them a few columns ahead.
    constexpr int ahead = 4;
    for (int c = 1; c <= ahead && c < columns; ++c)
        prefetch(scale.columnStart(c));
    qint64 start = scale.columnStart(0);
    for (int c = 0; c < columns; ++c) {
        if (c + ahead < columns)
            prefetch(scale.columnStart(c + ahead));
        const qint64 end = scale.columnStart(c + 1);
        out[static_cast<std::size_t>(c)] = extremes(start, end);
        start = end;
    }
}

void SampleHistory::prefetch(qint64 index) const
{
    if (index >= size)
        return;
    __builtin_prefetch(&chunks[static_cast<std::size_t>(index >> chunkShift)][index & chunkMask]);
    for (std::size_t level = 0; level < levels.size(); ++level) {
        index >>= blockShift;
        __builtin_prefetch(&levels[level][static_cast<std::size_t>(index)]);
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
