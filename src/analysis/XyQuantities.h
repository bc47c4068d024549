#pragma once
// What an X-Y plot can put on an axis or in its colours: the ten channels by
// their index, then Power, each read from a recording's histories.

#include "Channels.h"
#include "DensityGrid.h"
#include "SampleHistory.h"

#include <vector>

constexpr int xyPower = channelCount;
constexpr int xyQuantities = channelCount + 1;

const ChannelInfo& xyInfo(int quantity);

inline double xyValue(const std::vector<SampleHistory>& histories, int quantity, qint64 index)
{
    if (quantity == xyPower)
        return powerOf(histories[Voltage].at(index), histories[Current].at(index));
    return histories[std::size_t(quantity)].at(index);
}

// The lowest and highest value of records [first, last); low > high for none.
DensityGrid::Span xySpan(const std::vector<SampleHistory>& histories, int quantity, qint64 first, qint64 last);

// Records [first, last) counted into a grid of `columns` x `rows` cells over
// the spans given, each shaded by quantity `shade`.
DensityGrid xyDensity(const std::vector<SampleHistory>& histories, int x, int y, int shade, qint64 first, qint64 last,
                      int columns, int rows, DensityGrid::Span xSpan, DensityGrid::Span ySpan);
