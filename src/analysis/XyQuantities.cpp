#include "XyQuantities.h"

#include <algorithm>

const ChannelInfo& xyInfo(int quantity)
{
    return quantity == xyPower ? powerInfo : channels[quantity];
}

DensityGrid::Span xySpan(const std::vector<SampleHistory>& histories, int quantity, qint64 first, qint64 last)
{
    if (quantity != xyPower) {
        const SampleHistory::Extremes e = histories[std::size_t(quantity)].extremes(first, last);
        return {e.low, e.high};
    }
    // Power has no history of its own: one walk over the records.
    DensityGrid::Span span = {SampleHistory::none.low, SampleHistory::none.high};
    for (qint64 i = first; i < last; ++i) {
        const double watts = xyValue(histories, xyPower, i);
        span.low = std::min(span.low, watts);
        span.high = std::max(span.high, watts);
    }
    return span;
}

DensityGrid xyDensity(const std::vector<SampleHistory>& histories, int x, int y, int shade, qint64 first, qint64 last,
                      int columns, int rows, DensityGrid::Span xSpan, DensityGrid::Span ySpan)
{
    DensityGrid grid(columns, rows, xSpan, ySpan);
    for (qint64 i = first; i < last; ++i)
        grid.add(xyValue(histories, x, i), xyValue(histories, y, i), xyValue(histories, shade, i));
    return grid;
}
