#include "HistoryTrace.h"

#include "PlotPixels.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

const QColor HistoryTrace::hoverColour = Qt::red;
const QColor HistoryTrace::pinnedColour = QColor(0, 150, 0);

void HistoryTrace::show(const SampleHistory* shown, qint64 first, qint64 last)
{
    if (shown != series)
        laidOutValid = false;
    series = shown;
    viewFirst = std::max<qint64>(first, 0);
    viewLast = std::max(last, viewFirst);
}

qint64 HistoryTrace::first() const
{
    return series ? std::min(viewFirst, series->count()) : 0;
}

qint64 HistoryTrace::last() const
{
    return series ? std::min(viewLast, series->count()) : 0;
}

SampleHistory::Extremes HistoryTrace::extremes() const
{
    return series ? series->extremes(first(), last()) : SampleHistory::none;
}

IndexScale HistoryTrace::scale(int width) const
{
    return IndexScale{first(), std::max<qint64>(last() - first(), 1), std::max(width, 1)};
}

void HistoryTrace::draw(QPainter& painter, int w, int h, double low, double high, const QColor& colour)
{
    if (!hasSamples() || w <= 0 || h <= 0)
        return;
    const Shape shape{series->generation(), first(), last(), w, h, low, high};
    if (!laidOutValid || !(shape == laidOut)) {
        layOut(shape);
        laidOut = shape;
        laidOutValid = true;
    }
    painter.setClipRect(QRect(0, 0, w, h));
    if (!points.empty()) {
        painter.setPen(QPen(colour, 0));
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawRects(strokes.data(), static_cast<int>(strokes.size()));
        painter.setBrush(Qt::NoBrush);
    }
}

void HistoryTrace::layOut(const Shape& shape)
{
    const plotpixels::ValueScale rows(shape.low, shape.high, shape.h);
    const qint64 n = shape.last - shape.first;
    const IndexScale columnScale{shape.first, n, shape.w};
    points.clear();
    strokes.clear();

    if (n >= 2 && n <= shape.w) {
        points.reserve(static_cast<std::size_t>(n));
        for (qint64 i = shape.first; i < shape.last; ++i)
            points.emplace_back(columnScale.columnOf(i), rows.row(series->at(i)));
        return;
    }

    // Each stroke reaches at least to the nearer end of its left neighbour's
    // own span, so the strokes join into one trace wherever the values jump.
    series->columnExtremes(shape.first, shape.last, shape.w, columns);
    strokes.reserve(columns.size());
    bool joined = false;
    int leftTop = 0;
    int leftBottom = 0;
    for (int c = 0; c < shape.w; ++c) {
        const SampleHistory::Extremes& e = columns[static_cast<std::size_t>(c)];
        if (e.empty())
            continue;
        const int ownTop = rows.row(e.high);
        const int ownBottom = rows.row(e.low);
        int top = ownTop;
        int bottom = ownBottom;
        if (joined) {
            top = std::min(top, leftBottom);
            bottom = std::max(bottom, leftTop);
        }
        strokes.emplace_back(c, top, 1, bottom - top + 1);
        leftTop = ownTop;
        leftBottom = ownBottom;
        joined = true;
    }
}

void HistoryTrace::setCursors(qint64 hoverIndex, qint64 pinnedIndex)
{
    hover = hoverIndex;
    pinned = pinnedIndex;
}

QRect HistoryTrace::cursorStrip(qint64 index, int w, int h) const
{
    if (index < first() || index >= last() || w <= 0)
        return QRect();
    const int x = scale(w).columnOf(index);
    return QRect(x, 0, 1, h);
}

void HistoryTrace::drawCursors(QPainter& painter, int w, int h) const
{
    if (!active())
        return;
    painter.setClipRect(QRect(0, 0, w, h));
    const QRect pinnedStrip = cursorStrip(pinned, w, h);
    if (!pinnedStrip.isEmpty())
        painter.fillRect(pinnedStrip, pinnedColour);
    const QRect hoverStrip = cursorStrip(hover, w, h);
    if (!hoverStrip.isEmpty())
        painter.fillRect(hoverStrip, hoverColour);
}
