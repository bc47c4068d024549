#include "DensityGrid.h"

#include <algorithm>
#include <cmath>
#include <numeric>

DensityGrid::DensityGrid(int columns, int rows, Span x, Span y)
    : across(std::max(columns, 1)),
      down(std::max(rows, 1)),
      xAxis(axis(x, across)),
      yAxis(axis(y, down)),
      counts(std::size_t(across) * std::size_t(down)),
      shades(counts.size())
{
}

DensityGrid::Axis DensityGrid::axis(Span span, int cells)
{
    const double width = span.high - span.low;
    return {span.low, span.high, width > 0 ? cells / width : 0.0, cells};
}

double DensityGrid::meanShade(int column, int row) const
{
    const std::size_t cell = std::size_t(row) * std::size_t(across) + std::size_t(column);
    return counts[cell] ? shades[cell] / counts[cell] : std::nan("");
}

quint32 DensityGrid::mostInACell() const
{
    return counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
}

qint64 DensityGrid::total() const
{
    return std::accumulate(counts.begin(), counts.end(), qint64(0));
}
