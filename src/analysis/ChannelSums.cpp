#include "ChannelSums.h"

#include <cmath>

void ChannelSums::append(const float (&values)[summed])
{
    if ((appended & ((qint64(1) << blockShift) - 1)) == 0)
        checkpoints.push_back(running);
    for (int c = 0; c < summed; ++c)
        running[std::size_t(c)] += values[c];
    ++appended;
}

void ChannelSums::clear()
{
    checkpoints.clear();
    running = {};
    appended = 0;
}

double ChannelSums::sumBefore(int channel, const SampleHistory& history, qint64 index) const
{
    if (index >= appended)
        return running[std::size_t(channel)];
    const qint64 block = index >> blockShift;
    double sum = checkpoints[std::size_t(block)][std::size_t(channel)];
    for (qint64 i = block << blockShift; i < index; ++i)
        sum += history.at(i);
    return sum;
}

double ChannelSums::mean(int channel, const SampleHistory& history, qint64 first, qint64 last) const
{
    if (first < 0 || last > appended || last <= first)
        return std::nan("");
    return (sumBefore(channel, history, last) - sumBefore(channel, history, first)) / double(last - first);
}
