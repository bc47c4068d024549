#pragma once
// How a run of samples spreads over the pixel columns of a plot area. Every
// sample owns an equal slot of the width and sits at its slot's centre, so a
// run fills the width with half a slot to spare at either end, and a pixel
// column holds the samples whose centres fall in it. The trace, the cursors,
// the pointer and the per-column extremes all use this one mapping.

#include <QtGlobal>

struct IndexScale
{
    qint64 first = 0;  // the sample in the leftmost slot
    qint64 count = 0;  // samples across the width; at least 1
    int width = 0;     // pixel columns; at least 1

    // The column that sample `index` falls in; indexes outside the run give
    // columns outside 0 .. width - 1 (pinned to -1 and width when far out).
    int columnOf(qint64 index) const
    {
        const qint64 offset = index - first;
        if (offset < 0)
            return -1;
        if (offset >= count)
            return width;
        return static_cast<int>(((2 * offset + 1) * width) / (2 * count));
    }

    // The sample whose slot holds the centre of column x.
    qint64 indexAt(int x) const
    {
        const qint64 twice = 2 * static_cast<qint64>(x) + 1;
        return first + floorDivide(twice * count, 2 * static_cast<qint64>(width));
    }

    // Column c holds the samples [columnStart(c), columnStart(c + 1)); empty
    // when slots are wider than a pixel and no centre falls in it.
    qint64 columnStart(int c) const
    {
        const qint64 offset = ceilDivide(2 * static_cast<qint64>(c) * count - width, 2 * static_cast<qint64>(width));
        return first + qBound<qint64>(0, offset, count);
    }

    static qint64 floorDivide(qint64 a, qint64 b)
    {
        const qint64 q = a / b;
        return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
    }
    static qint64 ceilDivide(qint64 a, qint64 b) { return -floorDivide(-a, b); }
};
