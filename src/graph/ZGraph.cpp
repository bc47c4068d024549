#include "ZGraph.h"

#include "PlotPixels.h"
#include "ZGraphPlot.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPalette>
#include <QPen>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// A requested index, truncated; negative, NaN and huge requests are kept
// inside what the painting can index.
unsigned toIndex(double v)
{
    if (!(v > 0))
        return 0;
    if (v >= INT_MAX)
        return INT_MAX;
    return static_cast<unsigned>(v);
}

} // namespace

using plotpixels::isAutomatic;
using plotpixels::toPixel;

ZGraph::ZGraph(QWidget* parent)
    : QFrame(parent),
      xRangeStart(0),
      xRangeEnd(0),
      yRangeMin(0),
      yRangeMax(0),
      yMin(0),
      xEnd(0),
      xStart(0),
      yMax(0),
      received(0),
      xGrid(0),
      yGrid(0),
      yAxisLabel(nullptr),
      corner(nullptr),
      xAxisLabel(nullptr),
      plotBox(nullptr),
      plot(nullptr),
      traceColor(Qt::blue),
      shownRangesStale(false)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    yAxisLabel = new AxisLabel(this, this);
    yAxisLabel->setFixedWidth(defaultYLabelWidth);
    plotBox = new QFrame(this);
    plotBox->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    corner = new QWidget(this);
    corner->setObjectName("corner");
    corner->setFixedHeight(0);
    xAxisLabel = new AxisLabel(this, this);
    xAxisLabel->setFixedHeight(0);

    grid->addWidget(yAxisLabel, 0, 0);
    grid->addWidget(plotBox, 0, 1);
    grid->addWidget(corner, 1, 0);
    grid->addWidget(xAxisLabel, 1, 1);

    plot = new ZGraphPlot(plotBox, this);
    auto* box = new QHBoxLayout(plotBox);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(plot);

    QPalette palette = plot->palette();
    palette.setColor(QPalette::All, plot->backgroundRole(), Qt::white);
    plot->setPalette(palette);
}

ZGraph::~ZGraph() = default;

// Only the plot area and the labels show the graph's state. They paint every
// pixel of their own, so Qt repaints neither the frames nor anything below:
// redrawing the styled frames would cost more than all the rest of a record.
void ZGraph::scheduleRepaint()
{
    plot->update();
    yAxisLabel->update();
    xAxisLabel->update();
}

void ZGraph::setData(const std::vector<float>& samples)
{
    setData(samples, samples.size());
}

void ZGraph::setData(const std::vector<float>& samples, std::size_t receivedCount)
{
    // A window still filling gains a sample or two per record and keeps the
    // rest: what is drawn up to its last newest sample stays.
    const std::size_t drawn = received;
    const bool appended = drawn > 0 && receivedCount > drawn && samples.size() == data.size() &&
                          std::equal(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(drawn), samples.begin());
    data = samples;
    received = std::min(receivedCount, data.size());
    // The history drawn does not depend on the live samples.
    if (history.active())
        return;
    shownRangesStale = true;
    if (received == 0) {
        plot->update();
        return;
    }
    // Most new samples leave the extremes where they were; the labels then
    // show the same and need no repaint, and a window still filling needs only
    // the columns its new samples reach. A range past the data draws a line
    // back to the corner, across everything.
    if (rangesToShow() == Ranges{xStart, xEnd, yMin, yMax}) {
        const bool cornerLine = received == data.size() && xEnd >= static_cast<double>(data.size());
        plot->update(appended && !cornerLine ? liveColumns(drawn - 1, received - 1) : plot->rect());
        return;
    }
    plot->update();
    yAxisLabel->update();
    xAxisLabel->update();
}

void ZGraph::getData(std::vector<float>& samples) const
{
    samples = data;
}

void ZGraph::setXLabel(const ZString& title)
{
    xLabel = title;
    // Without a title the bottom row collapses.
    corner->setFixedHeight(0);
    xAxisLabel->setFixedHeight(xLabel.length() == 0 ? 0 : xAxisLabelHeight);
    scheduleRepaint();
}

void ZGraph::setYLabel(const ZString& title)
{
    yLabel = title;
    scheduleRepaint();
}

void ZGraph::setXRange(double start, double end)
{
    xRangeStart = start;
    xRangeEnd = end;
    shownRangesStale = true;
    scheduleRepaint();
}

void ZGraph::setYRange(double min, double max)
{
    yRangeMin = min;
    yMin = min;
    yRangeMax = max;
    yMax = max;
    shownRangesStale = true;
    scheduleRepaint();
}

void ZGraph::getXRange(double& start, double& end) const
{
    start = xStart;
    end = xEnd;
}

void ZGraph::setGrid(int xDivisions, int yDivisions)
{
    xGrid = xDivisions;
    yGrid = yDivisions;
    scheduleRepaint();
}

void ZGraph::setYLabelWidth(int width)
{
    yAxisLabel->setFixedWidth(width);
}

void ZGraph::clear()
{
    // An empty painting leaves the ranges shown as they were, so the labels
    // need no repaint.
    data.clear();
    received = 0;
    plot->update();
}

void ZGraph::showHistory(const SampleHistory* series, qint64 first, qint64 last)
{
    history.show(series, first, last);
    shownRangesStale = true;
    scheduleRepaint();
}

void ZGraph::showLive()
{
    history.show(nullptr, 0, 0);
    shownRangesStale = true;
    scheduleRepaint();
}

void ZGraph::setTimeAxis(const TimeAxis* axis)
{
    clock = axis;
    xAxisLabel->update();
}

IndexScale ZGraph::historyScale() const
{
    return history.scale(plot->width());
}

void ZGraph::setCursors(qint64 hover, qint64 pinned)
{
    const int w = plot->width();
    const int h = plot->height();
    // Only the strips the lines leave and enter change.
    for (qint64 index : {history.hoverCursor(), history.pinnedCursor(), hover, pinned}) {
        const QRect strip = history.cursorStrip(index, w, h);
        if (!strip.isEmpty())
            plot->update(strip);
    }
    history.setCursors(hover, pinned);
}

// A graph with no samples to show has no ends to label, only its title.
AxisLabel::Texts ZGraph::xAxisTexts() const
{
    if (!hasSamplesToShow())
        return {ZString(), ZString(), xLabel};
    return AxisLabel::horizontalTexts(xStart, xEnd, xLabel);
}

AxisLabel::Texts ZGraph::yAxisTexts() const
{
    if (!hasSamplesToShow() && isAutomatic(yRangeMin, yRangeMax))
        return {ZString(), ZString(), yLabel};
    return AxisLabel::verticalTexts(yMin, yMax, yLabel);
}

bool ZGraph::hasSamplesToShow() const
{
    return history.active() ? history.hasSamples() : received > 0;
}

ZGraph::Ranges ZGraph::rangesToShow() const
{
    if (history.active()) {
        const SampleHistory::Extremes extremes = history.extremes();
        Ranges ranges{static_cast<double>(history.first()), static_cast<double>(history.last() - 1), yMin, yMax};
        if (isAutomatic(yRangeMin, yRangeMax)) {
            ranges.yMin = extremes.low;
            ranges.yMax = extremes.high;
        }
        return ranges;
    }
    Ranges ranges{0, static_cast<double>(data.size() - 1), yMin, yMax};
    if (!isAutomatic(xRangeStart, xRangeEnd)) {
        const unsigned start = toIndex(xRangeStart);
        ranges.xStart = start;
        ranges.xEnd = std::max(start, toIndex(xRangeEnd));
    }
    // A fixed vertical range was stored as shown by setYRange.
    if (isAutomatic(yRangeMin, yRangeMax)) {
        float low = data.front();
        float high = low;
        for (std::size_t j = 1; j < received; ++j) {
            const float v = data[j];
            if (v > high)
                high = v;
            if (v < low)
                low = v;
        }
        ranges.yMin = low;
        ranges.yMax = high;
    }
    return ranges;
}

// The ranges shown change only with samples present.
void ZGraph::settleShownRanges()
{
    if (!shownRangesStale || !hasSamplesToShow())
        return;
    shownRangesStale = false;
    const Ranges ranges = rangesToShow();
    xStart = ranges.xStart;
    xEnd = ranges.xEnd;
    yMin = ranges.yMin;
    yMax = ranges.yMax;
}
