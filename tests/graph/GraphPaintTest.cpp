// What the plot area shows: samples turned into pixels, the grid over them.
#include "GraphFixture.h"

#include <QPoint>

#include <cctype>
#include <ostream>

#include <string>
#include <vector>

namespace {

struct TraceCase
{
    std::string name;
    std::vector<float> samples;
    double yMin, yMax;    // 0, 0: automatic
    double xStart, xEnd;  // 0, 0: automatic
    std::vector<QPoint> traced;
    std::vector<QPoint> untouched;
};

// Plot area 200 x 104: rows 2 (maximum) to 102 (minimum).
const std::vector<TraceCase> traceCases = {
    {"automatic ranges put 0, 5, 10 corner to corner", {0, 5, 10}, 0, 0, 0, 0,
     {{0, 102}, {50, 77}, {100, 52}, {150, 27}},
     {{0, 2}, {100, 2}, {199, 102}}},
    {"equal samples lie on row h - 2", {3, 3, 3}, 0, 0, 0, 0,
     {{0, 102}, {100, 102}, {199, 102}},
     {{100, 101}, {100, 2}, {0, 52}}},
    {"fixed vertical range maps its bounds to rows 102 and 2", {-5, 0, 5}, -5, 0, 0, 0,
     {{0, 102}, {50, 52}, {100, 2}},
     {{150, 52}, {199, 102}}},
    {"fixed vertical range with one non-zero bound is fixed", {0, 50, 100}, 0, 100, 0, 0,
     {{0, 102}, {100, 52}},
     {{0, 52}}},
    {"fixed horizontal range past the data runs to the top-left corner", {0, 5, 10}, 0, 0, 0, 4,
     {{0, 102}, {50, 52}, {100, 2}, {50, 1}},
     {{150, 52}, {199, 2}}},
    {"fixed horizontal range inside the data", {0, 5, 10, 0}, 0, 0, 1, 2,
     {{0, 52}, {40, 42}, {100, 27}},
     {{0, 102}}},
    {"fixed horizontal range is truncated to whole indexes", {0, 5, 10, 0}, 0, 0, 1.9, 2.9,
     {{0, 52}, {100, 27}},
     {{0, 102}}},
};

void PrintTo(const TraceCase& c, std::ostream* out)
{
    *out << c.name;
}

class TraceTest : public GraphFixture, public ::testing::WithParamInterface<TraceCase>
{
};

} // namespace

TEST_P(TraceTest, SamplesBecomePixels)
{
    const TraceCase& c = GetParam();
    graph.setYRange(c.yMin, c.yMax);
    graph.setXRange(c.xStart, c.xEnd);
    graph.setData(c.samples);
    const QImage image = plotImage();
    ASSERT_EQ(image.size(), QSize(plotWidth, plotHeight));
    for (const QPoint& p : c.traced)
        EXPECT_EQ(image.pixel(p), blue) << "at " << p.x() << "," << p.y();
    for (const QPoint& p : c.untouched)
        EXPECT_EQ(image.pixel(p), white) << "at " << p.x() << "," << p.y();
}

INSTANTIATE_TEST_SUITE_P(Graph, TraceTest, ::testing::ValuesIn(traceCases),
                         [](const auto& info) {
                             std::string name;
                             for (char ch : info.param.name)
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

TEST_F(GraphFixture, EmptyGraphIsWhite)
{
    EXPECT_EQ(count(plotImage(), white), plotWidth * plotHeight);
}

TEST_F(GraphFixture, OneSampleDrawsNoLine)
{
    graph.setData({4});
    EXPECT_EQ(count(plotImage(), blue), 0);
}

// The live display writes its newest value into the last sample once the
// window is full; it must reach the right edge.
TEST_F(GraphFixture, NewestSampleOfFullWindowIsDrawn)
{
    std::vector<float> window(2048, 0.0f);
    window.back() = 1.0f;
    graph.setData(window);
    const QImage image = plotImage();
    EXPECT_EQ(image.pixel(0, 102), blue);
    EXPECT_GT(countInColumn(image, plotWidth - 1, blue), 20);
}

TEST_F(GraphFixture, GridDividesTheAreaWithDottedLines)
{
    graph.setGrid(4, 0);
    QImage image = plotImage();
    for (int x : {50, 100, 150}) {
        const int dots = countInColumn(image, x, black);
        EXPECT_GT(dots, plotHeight / 4) << "column " << x;
        EXPECT_LT(dots, plotHeight) << "column " << x << " is not dotted";
    }
    EXPECT_EQ(count(image, black), 3 * countInColumn(image, 50, black)) << "lines elsewhere";

    graph.setGrid(0, 4);
    image = plotImage();
    for (int y : {26, 52, 78}) {
        const int dots = countInRow(image, y, black);
        EXPECT_GT(dots, plotWidth / 4) << "row " << y;
        EXPECT_LT(dots, plotWidth) << "row " << y << " is not dotted";
    }
    EXPECT_EQ(count(image, black), 3 * countInRow(image, 26, black)) << "lines elsewhere";
}

TEST_F(GraphFixture, GridIsDrawnOverTheTrace)
{
    graph.setGrid(4, 0);
    const QImage gridOnly = plotImage();
    graph.setData({3, 3, 3});
    const QImage both = plotImage();
    for (int y = 0; y < plotHeight; ++y) {
        for (int x = 0; x < plotWidth; ++x) {
            if (gridOnly.pixel(x, y) == black) {
                ASSERT_EQ(both.pixel(x, y), black) << "at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(countInRow(both, 102, blue), plotWidth - 10);
}

TEST_F(GraphFixture, NoGridWithoutDivisions)
{
    graph.setGrid(0, 0);
    graph.setData({0, 5, 10});
    EXPECT_EQ(count(plotImage(), black), 0);
}

// Requests outside the graph's limits must neither hang, nor allocate without
// bound, nor paint garbage.
TEST_F(GraphFixture, RequestsOutsideTheLimitsPaintSafely)
{
    graph.setData({0, 5, 10});

    graph.setGrid(-1, -3);
    EXPECT_EQ(count(plotImage(), black), 0);

    graph.setXRange(20, 10);  // reversed: one index, no line
    EXPECT_EQ(count(plotImage(), blue), 0);

    graph.setXRange(-3, 2);  // a negative start counts as 0
    QImage image = plotImage();
    EXPECT_EQ(image.pixel(100, 52), blue);
    double start = -1, end = -1;
    graph.getXRange(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 2);

    graph.setXRange(0, 1e12);  // far past the data: one point per sample at most
    image = plotImage();
    EXPECT_EQ(image.pixel(0, 102), blue);
    EXPECT_EQ(image.pixel(0, 0), blue);

    graph.setXRange(0, 0);
    graph.setYRange(0, 1e-12);  // rows far beyond what a pixel can hold
    image = plotImage();
    EXPECT_EQ(image.pixel(0, 102), blue);
    EXPECT_EQ(image.pixel(0, 50), blue);
    EXPECT_EQ(image.pixel(150, 50), white);
}
