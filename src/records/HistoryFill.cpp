#include "HistoryFill.h"

#include "Channels.h"

#include <algorithm>

void appendSamples(std::vector<SampleHistory>& histories, const Data& record, float seconds)
{
    for (int channel = 0; channel < Time; ++channel)
        histories[std::size_t(channel)].append(float(channelValue(record, channel)));
    histories[Time].append(seconds);
}

HistoryFill::HistoryFill(const RecordList& records) : records(records), histories(channelCount)
{
}

bool HistoryFill::step(std::size_t count)
{
    // Time counts the seconds of the file's first column, which cardata.csv
    // counts from its first record whose clock is not 0.
    const std::size_t end = next + std::min(count, records.size() - next);
    for (; next < end; ++next) {
        const std::time_t seconds = clock.seconds(records[next]);
        if (first == 0)
            first = seconds;
        appendSamples(histories, records[next], float(seconds - first));
    }
    return done();
}
