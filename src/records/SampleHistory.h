#pragma once
// One channel's samples in arrival order, every one the window has held since
// it was last cleared, with the minimum and maximum of each block of 16
// samples, of each 16 such blocks, and so on up. The extremes of any run then
// cost a few dozen steps however long the run is, so a graph of a million
// samples finds each pixel column's extremes without visiting the samples.
//
// The levels add about half a byte to the four of each sample. Samples are
// kept in fixed chunks, so appending never moves what is held.

#include <QtGlobal>

#include <cstddef>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

class SampleHistory
{
public:
    struct Extremes
    {
        float low;
        float high;
        // The extremes of no samples at all.
        bool empty() const { return low > high; }
    };
    static constexpr Extremes none = {std::numeric_limits<float>::infinity(),
                                      -std::numeric_limits<float>::infinity()};

    SampleHistory() = default;
    SampleHistory(SampleHistory&&) = default;
    SampleHistory& operator=(SampleHistory&&) = default;

    void append(float value);
    void clear();
    // Takes the other's samples in place of these, as clear() and appending them would.
    void replaceWith(SampleHistory&& other)
    {
        const unsigned cleared = clearCount + 1;
        *this = std::move(other);
        clearCount = cleared;
    }

    qint64 count() const { return size; }
    // Index 0 to count() - 1.
    float at(qint64 index) const { return chunks[index >> chunkShift][index & chunkMask]; }

    // Of the samples [first, last) that are held.
    Extremes extremes(qint64 first, qint64 last) const;
    // `out` gets one entry per pixel column: the extremes of the samples that
    // IndexScale puts in that column when [first, last) spans `columns`.
    void columnExtremes(qint64 first, qint64 last, int columns, std::vector<Extremes>& out) const;
    // The first index in [first, last) whose sample is at least `value`
    // (`upward`) or at most it, or -1. Blocks that cannot hold one are skipped
    // whole, so finding where an extreme lies costs about what finding it did.
    qint64 firstReaching(qint64 first, qint64 last, float value, bool upward) const;

    // Heap bytes held for the samples and the levels.
    std::size_t bytesUsed() const;
    // Changes when samples already held are dropped, so that a picture drawn
    // of them knows it is out of date; appending leaves it alone.
    unsigned generation() const { return clearCount; }

private:
    static constexpr int blockShift = 4;  // 16 entries to a block, at every level
    static constexpr int chunkShift = 14;
    static constexpr qint64 chunkSize = qint64(1) << chunkShift;
    static constexpr qint64 chunkMask = chunkSize - 1;

    // Widens `result` by entries [first, last) of a level (-1: the samples).
    void include(int level, qint64 first, qint64 last, Extremes& result) const;
    // Asks for the memory that the extremes of a run starting at `index` read
    // first, ahead of the reading.
    void prefetch(qint64 index) const;

    // Chunks start on a cache line, so that a block of samples fills one.
    struct FreeChunk
    {
        void operator()(float* chunk) const;
    };
    std::vector<std::unique_ptr<float[], FreeChunk>> chunks;
    // levels[0] holds the extremes of each block of 16 samples, levels[n] of
    // each 16 entries of levels[n - 1]. A level exists once the samples fill
    // more than one of its blocks; the last block of each may be partial.
    std::vector<std::vector<Extremes>> levels;
    qint64 size = 0;
    unsigned clearCount = 0;
};
