#pragma once
// Points counted into a grid of cells, one cell per pixel of an X-Y plot, each
// cell with how many points fell in it and the mean of a third value (the
// colour) over them. A million points then draw as one picture of the grid
// instead of a million markers.

#include <QtGlobal>

#include <vector>

class DensityGrid
{
public:
    // Values from `low` to `high`, both included, across an axis of cells.
    struct Span
    {
        double low;
        double high;
    };

    // Column 0 holds x.low, row 0 y.low. A span of one value (low == high)
    // puts that value in the middle cell.
    DensityGrid(int columns, int rows, Span x, Span y);

    // Counts a point; one outside the spans (or NaN) is left out.
    void add(double x, double y, double shade)
    {
        const int column = columnOf(x), row = rowOf(y);
        if (column < 0 || row < 0)
            return;
        const std::size_t cell = std::size_t(row) * std::size_t(across) + std::size_t(column);
        ++counts[cell];
        shades[cell] += shade;
    }

    int columns() const { return across; }
    int rows() const { return down; }
    // The cell that holds a value, or -1 outside the span.
    int columnOf(double x) const { return cellOf(x, xAxis); }
    int rowOf(double y) const { return cellOf(y, yAxis); }

    quint32 count(int column, int row) const { return counts[std::size_t(row) * std::size_t(across) + std::size_t(column)]; }
    // The mean shade of the points in the cell (NaN with none).
    double meanShade(int column, int row) const;
    // The most points in any one cell, and all points counted.
    quint32 mostInACell() const;
    qint64 total() const;

private:
    struct Axis
    {
        double low, high;
        double cellsPerUnit;  // 0: a span of one value
        int cells;
    };
    static Axis axis(Span span, int cells);
    static int cellOf(double value, const Axis& a)
    {
        if (!(value >= a.low && value <= a.high))
            return -1;
        if (a.cellsPerUnit == 0)
            return a.cells / 2;
        const int cell = int((value - a.low) * a.cellsPerUnit);
        return cell < a.cells ? cell : a.cells - 1;  // the high end is in the last cell
    }

    int across;
    int down;
    Axis xAxis;
    Axis yAxis;
    std::vector<quint32> counts;
    std::vector<double> shades;  // summed
};
