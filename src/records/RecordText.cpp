#include "RecordText.h"

#include "CNumericScope.h"

#include <cmath>
#include <cstdlib>

const char* const channelNames[channelCount] = {
    "Throttle", "MotorSpeed", "Speed", "Voltage", "Current",
    "Charge1", "Charge2", "Battery", "Temperature", "Time",
};

void liveChannelValues(const Data& record, float seconds, float (&values)[channelCount])
{
    // The live display divides throttle and motor speed as integers: the
    // remainder is dropped, as the Car Computer's own display does.
    values[Throttle] = float(record.throttle() / 10);
    values[MotorSpeed] = float(record.motorSpeed() / 10);
    values[Speed] = float(record.speed() / 100.0);
    values[Voltage] = float(record.voltage() / 100.0);
    values[Current] = float(record.current() / 100.0);
    values[Charge1] = float(record.charge1() / 10.0);
    values[Charge2] = float(record.charge2() / 10.0);
    values[Battery] = float(record.battery());
    values[Temperature] = float(record.temperature() / 2.0);
    values[Time] = seconds;
}

ZString logLine(const Data& record, const float (&values)[channelCount])
{
    CNumericScope c;
    ZString line;
    // "%.4d" pads with zeros to four digits, like "%0.4d".
    line.format("%.4d-%.2d-%.2d %.2d:%.2d:%.2d %.2f %.2f %.2f %.2f %.2f %.2f %.2f %.2f %.2f\n",
                1900 + record.year(), record.month(), record.day(), record.hour(), record.min(), record.sec(),
                double(values[0]), double(values[1]), double(values[2]), double(values[3]), double(values[4]),
                double(values[5]), double(values[6]), double(values[7]), double(values[8]));
    return line;
}

ZString csvLine(const Data& record, long secondsSinceFirst)
{
    CNumericScope c;
    ZString line;
    line.format("%d %.4d-%.2d-%.2d %.2d:%.2d:%.2d %.2f %.2f %.2f %.2f %.2f %.2f %.2f %d %.2f\n",
                int(secondsSinceFirst), 1900 + record.year(), record.month(), record.day(), record.hour(),
                record.min(), record.sec(), record.throttle() / 10.0, record.motorSpeed() / 10.0,
                record.speed() / 100.0, record.voltage() / 100.0, record.current() / 100.0,
                record.charge1() / 10.0, record.charge2() / 10.0, int(record.battery()),
                record.temperature() / 2.0);
    return line;
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

ZString cursorText(const Data& record, const float (&values)[channelCount])
{
    CNumericScope c;
    ZString text = stamp(record);
    for (int channel = 0; channel < channelCount; ++channel) {
        ZString value;
        value.format("  %s %.2f", channelNames[channel], double(values[channel]));
        text = text + value;
    }
    return text;
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
        change.format("  %s %+.2f", channelNames[channel], double(values[channel]) - double(pinnedValues[channel]));
        text = text + change;
    }
    return text;
}

ZString directoryLine(const Directory& entry)
{
    ZString line;
    line.format("%.4d-%.2d-%.2d %.2d:%.2d:%.2d %d", 1900 + entry.year(), entry.month(), entry.day(),
                entry.hour(), entry.min(), entry.sec(), int(entry.dataPosition()));
    return line;
}
