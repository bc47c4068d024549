#include "Recording.h"

#include "CsvExport.h"

#include <algorithm>

Recording::Recording(int sampleCount) : channelHistories(channelCount), windows(sampleCount)
{
}

void Recording::sampleRecord(const Data& record, float seconds, bool toWindows)
{
    float exact[channelCount];
    float shown[channelCount];
    for (int channel = 0; channel < Time; ++channel) {
        exact[channel] = float(channelValue(record, channel));
        shown[channel] = liveValue(record, channel);
    }
    exact[Time] = shown[Time] = seconds;
    for (int channel = 0; channel < channelCount; ++channel)
        channelHistories[std::size_t(channel)].append(exact[channel]);
    if (toWindows)
        windows.add(shown);
}

void Recording::add(const Data& record, std::time_t stamp)
{
    add(std::vector<Arrival>{{record, stamp}});
}

void Recording::add(const std::vector<Arrival>& batch)
{
    if (batch.empty())
        return;
    for (const Arrival& arrival : batch) {
        if (origin == 0)
            origin = arrival.stamp;
        held.push_back(arrival.record);
        sampleRecord(arrival.record, float(arrival.stamp - origin), true);
    }
    unsaved = true;
    emit appended(int(batch.size()));
}

void Recording::replace(RecordList&& opened)
{
    held = std::move(opened);
    for (SampleHistory& history : channelHistories)
        history.clear();
    windows.restart();
    // Only the newest records fit the live windows. Time counts the seconds
    // of the file's first column, which cardata.csv counts from its first
    // record whose clock is not 0.
    const std::size_t firstLive = held.size() - std::min(held.size(), std::size_t(windows.sampleCount()));
    ExportClock clock;
    std::time_t first = 0;
    for (std::size_t index = 0; index < held.size(); ++index) {
        const std::time_t seconds = clock.seconds(held[index]);
        if (first == 0)
            first = seconds;
        sampleRecord(held[index], float(seconds - first), index >= firstLive);
    }
    unsaved = false;
    emit replaced();
}

void Recording::clear()
{
    held.clear();
    for (SampleHistory& history : channelHistories)
        history.clear();
    windows.restart();
    unsaved = false;
    emit cleared();
}

void Recording::restartWindows()
{
    windows.restart();
    emit windowsRestarted();
}
