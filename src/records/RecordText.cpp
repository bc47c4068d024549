#include "RecordText.h"

#include "CNumericScope.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

void liveChannelValues(const Data& record, float seconds, float (&values)[channelCount])
{
    for (int channel = 0; channel < Time; ++channel)
        values[channel] = liveValue(record, channel);
    values[Time] = seconds;
}

namespace {

ZString stamp(const Data& record)
{
    ZString text;
    text.format("%.4d-%.2d-%.2d %.2d:%.2d:%.2d", 1900 + record.year(), record.month(), record.day(),
                record.hour(), record.min(), record.sec());
    return text;
}

} // namespace

ZString logLine(const Data& record, const float (&values)[channelCount])
{
    CNumericScope c;
    // One string for the whole line: the log is written for every record shown.
    // Room for nine floats at their largest, 3.4e38 in 43 characters each.
    char text[512];
    int length = std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d", 1900 + record.year(),
                               record.month(), record.day(), record.hour(), record.min(), record.sec());
    for (int channel = 0; channel < Time; ++channel)
        length += std::snprintf(text + length, sizeof text - std::size_t(length), " %.2f", double(values[channel]));
    std::snprintf(text + length, sizeof text - std::size_t(length), "\n");
    return ZString(text);
}

ZString cursorText(const Data& record, const float (&values)[channelCount])
{
    CNumericScope c;
    ZString text = stamp(record);
    for (int channel = 0; channel < channelCount; ++channel) {
        ZString value;
        value.format("  %s %.2f", channels[channel].name, double(values[channel]));
        text = text + value;
    }
    ZString watts;
    watts.format("  %s %.2f", powerInfo.name, powerValue(record));
    return text + watts;
}

ZString cursorDifference(const float (&pinnedValues)[channelCount], const float (&values)[channelCount])
{
    CNumericScope c;
    const long seconds = std::lround(double(values[Time]) - double(pinnedValues[Time]));
    const long size = std::labs(seconds);
    ZString text;
    text.format("from the pinned: %c%ld:%.2ld:%.2ld", seconds < 0 ? '-' : '+', size / 3600, size / 60 % 60,
                size % 60);
    for (int channel = 0; channel < Time; ++channel) {
        ZString change;
        change.format("  %s %+.2f", channels[channel].name, double(values[channel]) - double(pinnedValues[channel]));
        text = text + change;
    }
    const double watts = powerOf(values[Voltage], values[Current]) - powerOf(pinnedValues[Voltage], pinnedValues[Current]);
    ZString change;
    change.format("  %s %+.2f", powerInfo.name, watts);
    return text + change;
}

ZString directoryLine(const Directory& entry)
{
    ZString line;
    line.format("%.4d-%.2d-%.2d %.2d:%.2d:%.2d %d", 1900 + entry.year(), entry.month(), entry.day(),
                entry.hour(), entry.min(), entry.sec(), int(entry.dataPosition()));
    return line;
}
