#include "Recording.h"

#include "CsvExport.h"
#include "HistoryFill.h"

#include <algorithm>

Recording::Recording(int sampleCount) : channelHistories(channelCount), windows(sampleCount)
{
}

void Recording::sampleRecord(const Data& record, float seconds)
{
    appendSamples(channelHistories, record, seconds);
    showLive(record, seconds);
}

void Recording::showLive(const Data& record, float seconds)
{
    float shown[channelCount];
    for (int channel = 0; channel < Time; ++channel)
        shown[channel] = liveValue(record, channel);
    shown[Time] = seconds;
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
        sampleRecord(arrival.record, float(arrival.stamp - origin));
    }
    unsaved = true;
    emit appended(int(batch.size()));
}

void Recording::replace(RecordList&& opened)
{
    HistoryFill fill(opened);
    fill.step(opened.size());
    replace(std::move(opened), std::move(fill));
}

void Recording::replace(RecordList&& opened, HistoryFill&& fill)
{
    Q_ASSERT(&fill.records == &opened && fill.done());
    held = std::move(opened);
    for (int channel = 0; channel < channelCount; ++channel)
        channelHistories[std::size_t(channel)].replaceWith(std::move(fill.histories[std::size_t(channel)]));
    // Only the newest records fit the live windows, with the Time the fill gave them.
    windows.restart();
    const std::size_t firstLive = held.size() - std::min(held.size(), std::size_t(windows.sampleCount()));
    for (std::size_t index = firstLive; index < held.size(); ++index)
        showLive(held[index], channelHistories[Time].at(qint64(index)));
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
