// A graph showing a stretch of history: per-column extremes, the labels of
// the stretch, the clock under it, the cursor lines, and the live picture
// coming back unchanged.
#include "GraphFixture.h"

#include "SampleHistory.h"
#include "TimeAxis.h"

#include <cmath>
#include <cstring>

namespace {

constexpr QRgb red = 0xffff0000;
constexpr QRgb green = 0xff009600;

// A slow wave between -1 and 1 with one sample far above it.
constexpr qint64 spikeAt = 61234;
SampleHistory& wavyHistory()
{
    static SampleHistory history;
    if (history.count() == 0)
        for (qint64 i = 0; i < 100000; ++i)
            history.append(i == spikeAt ? 10.0f : float(std::sin(double(i) / 5000.0)));
    return history;
}

void expectText(const ZString& actual, const char* expected)
{
    EXPECT_STREQ(actual.cStr(), expected);
}

} // namespace

// Zooming in from all 100,000 samples to a few, the spike's column always
// reaches the top row, in columns of extremes and in the line alike.
TEST_F(GraphFixture, SpikeShowsAtEveryZoom)
{
    graph.setYLabel("Speed");
    const SampleHistory& history = wavyHistory();
    for (qint64 span = history.count(); span >= 4; span = span * 4 / 5) {
        SCOPED_TRACE(span);
        const qint64 first = std::clamp<qint64>(spikeAt - span / 3, 0, history.count() - span);
        graph.showHistory(&history, first, first + span);
        const QImage image = plotImage();
        const int x = graph.historyScale().columnOf(spikeAt);
        ASSERT_GE(x, 0);
        ASSERT_LT(x, plotWidth);
        EXPECT_EQ(image.pixel(x, 2), blue) << "column " << x;
        EXPECT_LE(countInRow(image, 2, blue), 2) << "only the spike and a stroke joining it are that high";
        expectText(graph.yAxisTexts().high, "          10");
    }
}

TEST_F(GraphFixture, ColumnsJoinIntoOneTrace)
{
    // 0, then 10, then 0 again, each step where a column starts: ten samples
    // to a column, so no column holds both values itself.
    SampleHistory steps;
    for (int i = 0; i < 2000; ++i)
        steps.append(i >= 800 && i < 1400 ? 10.0f : 0.0f);
    graph.showHistory(&steps, 0, 2000);
    const QImage image = plotImage();
    for (int x = 0; x < plotWidth; ++x)
        ASSERT_GT(countInColumn(image, x, blue), 0) << "gap at column " << x;
    for (int jump : {80, 140}) {
        ASSERT_EQ(graph.historyScale().columnStart(jump), jump * 10);
        EXPECT_EQ(countInColumn(image, jump, blue), 101) << "the step at column " << jump << " joins rows 102 and 2";
        EXPECT_EQ(countInColumn(image, jump + 5, blue), 1);
    }

    // A steep wave, rows apart from one sample to the next: each column's
    // stroke reaches its left neighbour's, where the trace rises and where it falls.
    SampleHistory steep;
    for (int i = 0; i < 2000; ++i)
        steep.append(float(std::sin(i / 10.0)));
    graph.showHistory(&steep, 0, 2000);
    const QImage wave = plotImage();
    int leftTop = 0, leftBottom = plotHeight;
    for (int x = 0; x < plotWidth; ++x) {
        int top = plotHeight, bottom = -1;
        for (int y = 0; y < plotHeight; ++y)
            if (wave.pixel(x, y) == blue)
                top = std::min(top, y), bottom = std::max(bottom, y);
        EXPECT_EQ(countInColumn(wave, x, blue), bottom - top + 1) << "a gap within column " << x;
        EXPECT_TRUE(top <= leftBottom && bottom >= leftTop) << "column " << x << " (rows " << top << "-" << bottom
                                                            << ") misses the one before (rows " << leftTop << "-"
                                                            << leftBottom << ")";
        leftTop = top, leftBottom = bottom;
    }
}

// Fewer samples than columns: a line through the slot centres, nothing
// beyond the first and last sample.
TEST_F(GraphFixture, FewSamplesMakeALine)
{
    SampleHistory few;
    for (float v : {0.0f, 10.0f, 0.0f, 10.0f, 0.0f})
        few.append(v);
    graph.showHistory(&few, 0, 5);
    const QImage image = plotImage();
    for (QPoint p : {QPoint(20, 102), QPoint(60, 2), QPoint(100, 102), QPoint(140, 2), QPoint(180, 102), QPoint(40, 52)})
        EXPECT_EQ(image.pixel(p), blue) << p.x() << "," << p.y();
    EXPECT_EQ(countInColumn(image, 10, blue), 0);
    EXPECT_EQ(countInColumn(image, 190, blue), 0);
}

TEST_F(GraphFixture, LabelsShowTheStretchShown)
{
    SampleHistory ramp;
    for (int i = 0; i < 1000; ++i)
        ramp.append(float(i) / 2);
    graph.setXLabel("Record");
    graph.setYLabel("Volts");
    graph.showHistory(&ramp, 100, 200);
    plotImage();
    expectText(graph.xAxisTexts().low, "100         ");
    expectText(graph.xAxisTexts().high, "         199");
    expectText(graph.yAxisTexts().low, "          50");
    expectText(graph.yAxisTexts().high, "        99.5");

    graph.setYRange(-5, 600);  // a fixed range stays fixed in history too
    graph.showHistory(&ramp, 0, 1000);
    plotImage();
    expectText(graph.yAxisTexts().high, "         600");
    expectText(graph.xAxisTexts().high, "         999");
}

TEST_F(GraphFixture, CursorLinesCrossThePlot)
{
    graph.setGrid(4, 4);
    const SampleHistory& history = wavyHistory();
    graph.showHistory(&history, 50000, 70000);
    const QImage plain = plotImage();
    const IndexScale scale = graph.historyScale();

    graph.setCursors(spikeAt, 55000);
    QImage image = plotImage();
    EXPECT_EQ(countInColumn(image, scale.columnOf(spikeAt), red), plotHeight);
    EXPECT_EQ(countInColumn(image, scale.columnOf(55000), green), plotHeight);
    EXPECT_EQ(count(image, red) + count(image, green), 2 * plotHeight);
    EXPECT_EQ(graph.hoverCursor(), spikeAt);
    EXPECT_EQ(graph.pinnedCursor(), 55000);

    graph.setCursors(10, HistoryTrace::noCursor);  // out of sight: not drawn
    EXPECT_EQ(plotImage(), plain);
}

// The live picture and labels come back exactly, and live samples given while
// the history showed are the ones shown.
TEST_F(GraphFixture, LiveComesBackUnchanged)
{
    graph.setYLabel("Throttle");
    graph.setData({3, -2, 8, 5});
    const QImage live = plotImage();
    const QImage liveLabel = graph.yAxis()->grab().toImage();

    graph.showHistory(&wavyHistory(), 0, 100000);
    graph.setCursors(500, 700);
    EXPECT_NE(plotImage(), live);
    graph.setData({3, -2, 8, 5, 1});
    EXPECT_NE(plotImage(), live) << "the history stays while live samples arrive";
    expectText(graph.yAxisTexts().high, "          10");

    graph.setData({3, -2, 8, 5});
    graph.showLive();
    EXPECT_EQ(plotImage(), live);
    EXPECT_EQ(graph.yAxis()->grab().toImage(), liveLabel);
    EXPECT_FALSE(graph.showsHistory());
}

// Under a history the index axis reads the clock: labelled ticks, and a red
// cut where the clock jumps a minute; a stretch without the jump has no cut,
// and the live graph its index numbers again.
TEST_F(GraphFixture, HistoryAxisReadsTheClockWithACutWhereItJumps)
{
    SampleHistory samples;
    TimeAxis clock;
    for (int i = 0; i < 200; ++i) {
        samples.append(float(i % 7));
        clock.append(1773324000 + i + (i >= 100 ? 60 : 0));
    }
    graph.setXLabel("Record");
    graph.setTimeAxis(&clock);
    const auto axisColumns = [this](QRgb colour) {
        const QImage axis = graph.xAxis()->grab().toImage();
        std::vector<int> columns;
        for (int x = 0; x < axis.width(); ++x)
            if (countInColumn(axis, x, colour) > 0)
                columns.push_back(x);
        return columns;
    };
    graph.showHistory(&samples, 0, 200);
    const std::vector<int> cut = axisColumns(red);
    const int gapColumn = graph.plotArea()->mapTo(&graph, QPoint(plotWidth / 2, 0)).x() - graph.xAxis()->x();
    ASSERT_FALSE(cut.empty());
    EXPECT_GE(cut.front(), gapColumn - 6);
    EXPECT_LE(cut.back(), gapColumn + 6);
    EXPECT_GT(axisColumns(blue).size(), 15u) << "a tick and its time";

    graph.showHistory(&samples, 0, 100);
    EXPECT_TRUE(axisColumns(red).empty());
    graph.showLive();
    expectText(graph.xAxisTexts().title, "Record");
    EXPECT_TRUE(axisColumns(red).empty());
}
