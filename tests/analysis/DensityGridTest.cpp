// The X-Y plot's density: points counted onto a tiny grid, at its edges and
// outside it, with a span of one value, and the quantities read from a drive.
#include "DensityGrid.h"
#include "DriveRecords.h"
#include "XyQuantities.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(DensityGrid, CountsEachPointIntoTheCellOfItsPixel)
{
    const double nan = std::nan("");
    struct Row
    {
        const char* point;
        DensityGrid::Span x;
        double px, py;
        int column, row;  // -1: left out
    } table[] = {
        {"the lowest corner", {0, 4}, 0, 0, 0, 0},
        {"just short of a cell's edge", {0, 4}, 0.999, 2.999, 0, 2},
        {"on a cell's edge: the next cell", {0, 4}, 1, 1, 1, 1},
        {"the highest corner: the last cell", {0, 4}, 4, 3, 3, 2},
        {"left of the span", {0, 4}, -0.001, 1, -1, -1},
        {"right of it", {0, 4}, 4.001, 1, -1, -1},
        {"above it", {0, 4}, 1, 3.5, -1, -1},
        {"not a number", {0, 4}, nan, 1, -1, -1},
        {"a span of one value: the middle cell", {5, 5}, 5, 0, 2, 0},
        {"beside that one value", {5, 5}, 5.01, 0, -1, -1},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.point);
        DensityGrid grid(4, 3, row.x, {0, 3});
        grid.add(row.px, row.py, 7);
        EXPECT_EQ(grid.total(), row.column < 0 ? 0 : 1);
        if (row.column >= 0) {
            EXPECT_EQ(grid.count(row.column, row.row), 1u);
            EXPECT_EQ(grid.meanShade(row.column, row.row), 7);
        }
    }
}

TEST(DensityGrid, KeepsEachCellsCountAndMeanShade)
{
    DensityGrid grid(4, 3, {0, 4}, {0, 3});
    EXPECT_EQ(grid.total(), 0);
    EXPECT_EQ(grid.mostInACell(), 0u);
    EXPECT_TRUE(std::isnan(grid.meanShade(0, 0)));
    for (const double shade : {10.0, 20.0, 60.0})
        grid.add(shade / 100, 0.5, shade);
    grid.add(3.5, 2.5, 1);
    EXPECT_EQ(grid.count(0, 0), 3u);
    EXPECT_EQ(grid.meanShade(0, 0), 30);
    EXPECT_EQ(grid.count(3, 2), 1u);
    EXPECT_EQ(grid.count(1, 0), 0u);
    EXPECT_EQ(grid.mostInACell(), 3u);
    EXPECT_EQ(grid.total(), 4);
}

// Current against Power, shaded by Time: Power is Voltage x Current.
TEST(DensityGrid, PlotsPowerFromVoltageAndCurrent)
{
    Recording recording;
    addDrive(recording, {{0, 0, 100, 10}, {1, 0, 50, 20}, {2, 0, 100, 30}});
    const auto& h = recording.histories();
    const DensityGrid::Span watts = xySpan(h, xyPower, 0, 3);
    EXPECT_EQ(watts.low, 1000);
    EXPECT_EQ(watts.high, 3000);
    EXPECT_STREQ(xyInfo(xyPower).unit, "W");
    const DensityGrid grid = xyDensity(h, Current, xyPower, Time, 0, 3, 2, 2, {10, 30}, watts);
    EXPECT_EQ(grid.count(0, 0), 1u);
    EXPECT_EQ(grid.count(1, 0), 1u);
    EXPECT_EQ(grid.meanShade(1, 0), 1);  // the second record, at 1 s
    EXPECT_EQ(grid.count(1, 1), 1u);
}
