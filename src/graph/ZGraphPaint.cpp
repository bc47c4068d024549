// ZGraph's painting: the live trace (or the history's), the grid and the axis labels.
#include "ZGraph.h"

#include "PlotPixels.h"
#include "TimeAxis.h"
#include "ZGraphPlot.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Room a time label wants along the axis, a dated one about twice that: the
// step between round times is the shortest that keeps ticks this far apart.
constexpr int timeTickSpacing = 80;
// Least room between two time labels; a tick whose label has no room is drawn bare.
constexpr int timeLabelGap = 8;

} // namespace

using plotpixels::isAutomatic;
using plotpixels::toPixel;

void ZGraph::redraw(QPainter& painter, const QRect& dirty)
{
    drawTrace(painter, dirty);
    drawGrid(painter);
    history.drawCursors(painter, plot->width(), plot->height());
}

double ZGraph::liveXScale() const
{
    const size_t start = static_cast<size_t>(xStart);
    const size_t end = static_cast<size_t>(xEnd);
    return end > start ? static_cast<double>(plot->width()) / static_cast<double>(end - start) : 0.0;
}

QRect ZGraph::liveColumns(std::size_t from, std::size_t to) const
{
    const double scale = liveXScale();
    const int left = toPixel((static_cast<double>(from) - xStart) * scale) - 1;
    const int right = toPixel((static_cast<double>(to) - xStart) * scale) + 1;
    return QRect(QPoint(left, 0), QPoint(right, plot->height() - 1)) & plot->rect();
}

void ZGraph::drawTrace(QPainter& painter, const QRect& dirty)
{
    const int w = plot->width();
    const int h = plot->height();
    painter.fillRect(dirty, plot->palette().color(plot->backgroundRole()));
    if (!hasSamplesToShow())
        return;
    settleShownRanges();

    const double low = isAutomatic(yRangeMin, yRangeMax) ? yMin : yRangeMin;
    const double high = isAutomatic(yRangeMin, yRangeMax) ? yMax : yRangeMax;
    if (history.active()) {
        history.draw(painter, w, h, low, high, traceColor);
        return;
    }
    const plotpixels::ValueScale rows(low, high, h);

    // Sample `start` sits on the left edge and index `end` at x = w; the
    // newest sample of a full window is drawn too.
    const size_t count = data.size();
    const size_t start = static_cast<size_t>(xStart);
    const size_t end = static_cast<size_t>(xEnd);
    const double xScale = liveXScale();

    // The zero fill after the last received sample is not drawn.
    const size_t last = std::min(end, received - 1);
    const size_t inData = start <= last ? last - start + 1 : 0;
    // Indexes past the last sample all give (0, 0): the line runs to the
    // top-left corner. Two such points draw what any number of them draws.
    const size_t pastData =
        end < count || received < count ? 0 : std::min<size_t>(end - std::max(start, count) + 1, 2);

    // Of a trace cut short, only its two ends draw differently from the whole
    // (a line's first and last pixel depend on its neighbours), so a cut two
    // columns outside the dirty area draws the same pixels inside it.
    size_t first = 0;
    size_t lastDrawn = inData == 0 ? 0 : inData - 1;
    if (xScale > 0 && pastData == 0 && inData > 0) {
        first = static_cast<size_t>(std::clamp((dirty.left() - 2) / xScale, 0.0, static_cast<double>(lastDrawn)));
        lastDrawn = static_cast<size_t>(std::clamp(std::ceil((dirty.right() + 3) / xScale), 0.0, static_cast<double>(lastDrawn)));
    }
    const size_t drawn = inData == 0 ? 0 : lastDrawn - first + 1;
    points.resize(drawn + pastData);
    QPoint* point = points.data();
    for (size_t j = first; j < first + drawn; ++j)
        *point++ = QPoint(toPixel(static_cast<double>(j) * xScale), rows.row(data[start + j]));
    for (size_t j = 0; j < pastData; ++j)
        *point++ = QPoint(0, 0);

    // With a clip rectangle Qt's raster engine draws a long thin polyline
    // about three times faster.
    painter.setClipRect(plot->rect());
    painter.setPen(QPen(traceColor, 0));
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
}

void ZGraph::drawGrid(QPainter& painter)
{
    const int w = plot->width();
    const int h = plot->height();
    QPen pen(Qt::black, 0);
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);

    // No lines on the edges; negative counts draw nothing rather than never
    // reaching the far edge.
    if (xGrid > 0) {
        const double step = static_cast<double>(w) / xGrid;
        for (double x = step; x < w; x += step)
            painter.drawLine(static_cast<int>(x), 0, static_cast<int>(x), h);
    }
    if (yGrid > 0) {
        const double step = static_cast<double>(h) / yGrid;
        for (double y = step; y < h; y += step)
            painter.drawLine(0, static_cast<int>(y), w, static_cast<int>(y));
    }
}

void ZGraph::drawLabels(AxisLabel* label, QPainter& painter)
{
    settleShownRanges();
    painter.fillRect(label->rect(), label->palette().color(label->backgroundRole()));
    painter.setPen(QPen(Qt::blue, 0));
    if (label == xAxisLabel)
        drawHorizontalLabel(painter);
    else if (label == yAxisLabel)
        drawVerticalLabel(painter);
}

void ZGraph::drawHorizontalLabel(QPainter& painter)
{
    if (xLabel.length() == 0)
        return;
    if (clock && history.active()) {
        drawTimeAxis(painter);
        return;
    }
    const int w = xAxisLabel->width();
    const int h = xAxisLabel->height();
    const AxisLabel::Texts texts = xAxisTexts();
    painter.drawLine(2, 0, 2, 6);
    xAxisLabel->drawText(painter, QRect(8, 0, w - 16, h), Qt::AlignLeft, texts.low, AxisLabel::LowText);
    painter.drawLine(w - 3, 0, w - 3, 6);
    xAxisLabel->drawText(painter, QRect(8, 0, w - 16, h), Qt::AlignRight, texts.high, AxisLabel::HighText);
    xAxisLabel->drawText(painter, QRect(0, 0, w, h), Qt::AlignHCenter | Qt::AlignVCenter, texts.title,
                         AxisLabel::TitleText);
}

void ZGraph::drawVerticalLabel(QPainter& painter)
{
    if (yLabel.length() == 0)
        return;
    const int w = yAxisLabel->width();
    const int h = yAxisLabel->height();
    const AxisLabel::Texts texts = yAxisTexts();
    painter.drawLine(w - 5, 2, w, 2);
    yAxisLabel->drawText(painter, QRect(0, 3, w, 16), Qt::AlignLeft, texts.high, AxisLabel::HighText);
    painter.drawLine(w - 5, h - 3, w, h - 3);
    yAxisLabel->drawText(painter, QRect(0, h - 16, w, h), Qt::AlignLeft, texts.low, AxisLabel::LowText);
    yAxisLabel->drawText(painter, QRect(0, static_cast<int>(h * 0.5 - 8), w, static_cast<int>(h * 0.5 + 8)),
                         Qt::AlignLeft, texts.title, AxisLabel::TitleText);
}

// Ticks at round times, each labelled to its right, and a cut mark where the
// clock jumps. The label's columns are the plot area's, shifted by its frame.
void ZGraph::drawTimeAxis(QPainter& painter)
{
    const int w = plot->width();
    const int h = xAxisLabel->height();
    const int offset = plot->mapTo(this, QPoint()).x() - xAxisLabel->x();
    const IndexScale scale = historyScale();
    const TimeAxis::Layout layout = clock->layout(history.first(), history.last(), std::max(1, w / timeTickSpacing));
    const QFontMetrics metrics(painter.font());
    int freeFrom = INT_MIN;
    bool owesDate = false;  // a dated label had no room: the next one shown says the day
    int lastTick = INT_MIN;
    for (TimeAxis::Tick tick : layout.ticks) {
        const int x = offset + scale.columnOf(tick.index);
        if (x != lastTick)
            painter.drawLine(x, 0, x, 4);
        lastTick = x;
        tick.dated = tick.dated || owesDate;
        // A tick among a crowd (a break at every record) is skipped before its text is made.
        const QString text = x + 3 < freeFrom ? QString() : TimeAxis::tickText(tick, layout.step);
        const int width = metrics.horizontalAdvance(text);
        if (text.isEmpty() || x + 3 + width > offset + w) {
            owesDate = tick.dated;
            continue;
        }
        owesDate = false;
        painter.drawText(QRect(x + 3, 0, width, h), Qt::AlignLeft | Qt::AlignVCenter, text);
        freeFrom = x + 3 + width + timeLabelGap;
    }
    painter.setPen(QPen(Qt::red, 2));
    int lastCut = INT_MIN;
    for (qint64 index : layout.breaks) {
        const int x = offset + (scale.columnOf(index - 1) + scale.columnOf(index) + 1) / 2;
        // Breaks closer than a cut's width are one cut: a garbled file may have one per record.
        if (x < lastCut + 4)
            continue;
        lastCut = x;
        painter.drawLine(x - 5, h - 1, x - 1, 0);
        painter.drawLine(x + 1, h - 1, x + 5, 0);
    }
}
