#pragma once
// A widget that plots one series of samples against the sample index: a white
// plot area with the trace and an optional dotted grid, the value axis label on
// its left and the index axis label below it.
//
// A requested range whose two ends are both exactly 0 is automatic: the graph
// then shows all samples and their extremes. Any other pair is fixed.

#include "AxisLabel.h"
#include "HistoryTrace.h"
#include "ZString.h"

#include <QColor>
#include <QFrame>
#include <QPoint>

#include <vector>

class QPainter;
class TimeAxis;
class ZGraphPlot;

class ZGraph : public QFrame
{
    Q_OBJECT

public:
    explicit ZGraph(QWidget* parent = nullptr);
    ~ZGraph() override;

    // Setters schedule one repaint of the whole graph; several before the event
    // loop runs are painted together.
    // Every sample is received.
    void setData(const std::vector<float>& samples);
    // Only the first `received` samples are real; the rest fill the window to
    // its size and are neither drawn nor part of the value axis extremes, yet
    // every sample keeps its place along the index axis.
    void setData(const std::vector<float>& samples, std::size_t received);
    void getData(std::vector<float>& samples) const;
    void setXLabel(const ZString& title);
    void setYLabel(const ZString& title);
    // Indexes are truncated to whole samples; start below end.
    void setXRange(double start, double end);
    // A fixed range shows its bounds on the value axis at once.
    void setYRange(double min, double max);
    // The horizontal range last shown, not the one requested: 0 and 0 until the
    // graph has been painted with samples.
    void getXRange(double& start, double& end) const;
    // Divisions across the width and down the height; 0 draws no lines.
    void setGrid(int xDivisions, int yDivisions);
    void setYLabelWidth(int width);

    // History: the graph draws samples [first, last) of `series` (not owned;
    // it must outlive the showing) in place of its live samples, each pixel
    // column with its minimum and maximum, and its labels show that stretch
    // and its extremes. The live samples are kept, and setData goes on taking
    // new ones, until showLive() brings them back.
    void showHistory(const SampleHistory* series, qint64 first, qint64 last);
    void showLive();
    bool showsHistory() const { return history.active(); }
    // The history shown across the plot area: sample indexes to columns and back.
    IndexScale historyScale() const;
    // Vertical lines through the history at two sample indexes, or
    // HistoryTrace::noCursor: where the pointer is, and a pinned one.
    void setCursors(qint64 hover, qint64 pinned);
    qint64 hoverCursor() const { return history.hoverCursor(); }
    qint64 pinnedCursor() const { return history.pinnedCursor(); }

    // While it shows a history, the index axis reads the records' clock
    // times (not owned; null: index numbers); live, it stays an index axis.
    void setTimeAxis(const TimeAxis* axis);

    // What the two axis labels draw for the ranges last shown.
    AxisLabel::Texts xAxisTexts() const;
    AxisLabel::Texts yAxisTexts() const;

    ZGraphPlot* plotArea() const { return plot; }
    AxisLabel* xAxis() const { return xAxisLabel; }
    AxisLabel* yAxis() const { return yAxisLabel; }

    // Painting, run by the paint events of the plot area (redraw: trace, then
    // grid over it, then the history's cursors, all clipped to `dirty`) and of
    // each axis label (drawLabels: that label's part).
    void redraw(QPainter& painter, const QRect& dirty);
    void drawTrace(QPainter& painter, const QRect& dirty);
    void drawGrid(QPainter& painter);
    void drawLabels(AxisLabel* label, QPainter& painter);

    // Pixel height of the index axis label while it has a title.
    static constexpr int xAxisLabelHeight = 16;
    static constexpr int defaultYLabelWidth = 100;

public slots:
    // Forgets the samples; ranges, titles and grid stay.
    void clear();

private:
    struct Ranges
    {
        double xStart, xEnd, yMin, yMax;
        bool operator==(const Ranges& o) const
        {
            return xStart == o.xStart && xEnd == o.xEnd && yMin == o.yMin && yMax == o.yMax;
        }
    };

    void scheduleRepaint();
    bool hasSamplesToShow() const;
    // What a painting of the current samples (there must be some) shows.
    Ranges rangesToShow() const;
    void settleShownRanges();
    // Pixels per live sample along the index range shown.
    double liveXScale() const;
    // The plot columns the live trace from sample `from` to sample `to` can
    // touch, with a column to spare either side.
    QRect liveColumns(std::size_t from, std::size_t to) const;
    void drawHorizontalLabel(QPainter& painter);
    void drawVerticalLabel(QPainter& painter);
    void drawTimeAxis(QPainter& painter);

    double xRangeStart;
    double xRangeEnd;
    double yRangeMin;
    double yRangeMax;
    // The ranges last shown, which the axis labels print.
    double yMin;
    double xEnd;
    double xStart;
    double yMax;
    ZString xLabel;
    ZString yLabel;
    std::vector<float> data;
    std::size_t received;  // how many of data's samples are real
    int xGrid;
    int yGrid;
    AxisLabel* yAxisLabel;
    QWidget* corner;
    AxisLabel* xAxisLabel;
    QFrame* plotBox;
    ZGraphPlot* plot;
    std::vector<QPoint> points;  // kept so that a painting reuses its storage
    QColor traceColor;
    HistoryTrace history;
    const TimeAxis* clock = nullptr;

    // The plot area and the labels paint in separate paint events, in an order
    // Qt chooses; whichever paints first after a change settles the ranges
    // shown, so all three show the same ones.
    bool shownRangesStale;
};
