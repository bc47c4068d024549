#pragma once
// Running sums of each measured channel and of Power at every 16th record, so
// that the average over any run of records adds at most 15 samples at each end.

#include "Channels.h"
#include "SampleHistory.h"

#include <array>
#include <vector>

class ChannelSums
{
public:
    static constexpr int measured = Time;  // every channel but Time
    static constexpr int powerSum = measured;  // Power's place, after the channels'
    static constexpr int summed = measured + 1;

    void append(const float (&values)[summed]);
    void clear();
    // The average of the samples [first, last) of `history`, which holds what
    // was appended here in place `channel` (a channel or powerSum).
    double mean(int channel, const SampleHistory& history, qint64 first, qint64 last) const;

private:
    static constexpr int blockShift = 4;
    double sumBefore(int channel, const SampleHistory& history, qint64 index) const;

    // checkpoints[b][c]: the sum of channel c over records [0, 16 b).
    std::vector<std::array<double, summed>> checkpoints;
    std::array<double, summed> running{};
    qint64 appended = 0;
};
