#pragma once
// The sample windows of the live graphs: the last `sampleCount` samples of
// each channel. They fill from position 0; the positions not filled yet hold
// 0. Once full, every new sample slides the windows one place towards the
// start and takes the last position.

#include "Channels.h"

#include <vector>

class LiveWindows
{
public:
    explicit LiveWindows(int sampleCount = 2048);

    // Every window becomes `sampleCount` zeros and the next sample goes first.
    void restart();
    // One sample of every channel.
    void add(const float (&sample)[channelCount]);

    const std::vector<float>& window(int channel) const { return values[channel]; }
    const std::vector<float> (&all() const)[channelCount] { return values; }
    // The position the next sample fills: how many samples are held, until full.
    int sampleIndex() const { return nextIndex; }
    int sampleCount() const { return length; }

private:
    std::vector<float> values[channelCount];
    int nextIndex = 0;
    int length;
};
