#include "LiveWindows.h"

#include <algorithm>

LiveWindows::LiveWindows(int sampleCount) : length(sampleCount)
{
    restart();
}

void LiveWindows::restart()
{
    nextIndex = 0;
    for (std::vector<float>& samples : values)
        samples.assign(std::size_t(length), 0.0f);
}

void LiveWindows::add(const float (&sample)[channelCount])
{
    if (nextIndex == length) {
        // Full windows slide: the oldest sample leaves, the newest goes last.
        for (std::vector<float>& samples : values)
            std::rotate(samples.begin(), samples.begin() + 1, samples.end());
        nextIndex = length - 1;
    }
    for (int channel = 0; channel < channelCount; ++channel)
        values[channel][std::size_t(nextIndex)] = sample[channel];
    ++nextIndex;
}
