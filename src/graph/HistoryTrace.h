#pragma once
// A graph's picture of a stretch of a channel's history, and its cursor lines.
// With more samples than pixel columns each column is a vertical stroke from
// its samples' minimum to their maximum, joined to its neighbours, so a
// single-sample spike shows at every zoom; with fewer, a line through the
// samples. The strokes are kept while nothing they depend on changes, so
// moving a cursor repaints without visiting the history again.

#include "IndexScale.h"
#include "SampleHistory.h"

#include <QColor>
#include <QPoint>
#include <QRect>

#include <vector>

class QPainter;

class HistoryTrace
{
public:
    static constexpr qint64 noCursor = -1;

    // Samples [first, last) of `series` (not owned; it must outlive the
    // showing); null shows nothing.
    void show(const SampleHistory* series, qint64 first, qint64 last);
    bool active() const { return series != nullptr; }
    // The stretch shown, cut to the samples the series holds.
    qint64 first() const;
    qint64 last() const;
    bool hasSamples() const { return last() > first(); }
    SampleHistory::Extremes extremes() const;
    // The stretch across a plot area `width` pixels wide.
    IndexScale scale(int width) const;

    // Draws the stretch into a plot area of w x h pixels, with the value range
    // [low, high] from row h - 2 up to row 2.
    void draw(QPainter& painter, int w, int h, double low, double high, const QColor& colour);

    // Cursor lines at sample indexes, or noCursor: where the pointer is, and
    // a pinned one (drawn below the pointer's where both meet).
    void setCursors(qint64 hover, qint64 pinned);
    qint64 hoverCursor() const { return hover; }
    qint64 pinnedCursor() const { return pinned; }
    // The one-pixel-wide strip a cursor line covers, empty when not shown.
    QRect cursorStrip(qint64 index, int w, int h) const;
    void drawCursors(QPainter& painter, int w, int h) const;

    static const QColor hoverColour;
    static const QColor pinnedColour;

private:
    struct Shape
    {
        unsigned generation;
        qint64 first, last;
        int w, h;
        double low, high;
        bool operator==(const Shape& o) const
        {
            return generation == o.generation && first == o.first && last == o.last && w == o.w && h == o.h &&
                   low == o.low && high == o.high;
        }
    };
    void layOut(const Shape& shape);

    const SampleHistory* series = nullptr;
    qint64 viewFirst = 0;
    qint64 viewLast = 0;
    qint64 hover = noCursor;
    qint64 pinned = noCursor;

    // What the last drawing laid out: either a line through the samples or
    // one stroke per column.
    Shape laidOut = {};
    bool laidOutValid = false;
    std::vector<QPoint> points;
    std::vector<QRect> strokes;
    std::vector<SampleHistory::Extremes> columns;
};
