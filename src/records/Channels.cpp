#include "Channels.h"

const ChannelInfo channels[channelCount] = {
    // name          unit    offset size divisor liveWhole csvDecimals
    {"Throttle",    "%",    20, 2, 10, true, 2},
    {"MotorSpeed",  "rpm",  24, 2, 10, true, 2},
    {"Speed",       "km/h", 16, 2, 100, false, 2},
    {"Voltage",     "V",    8, 2, 100, false, 2},
    {"Current",     "A",    10, 2, 100, false, 2},
    {"Charge1",     "Ah",   12, 2, 10, false, 2},
    {"Charge2",     "Ah",   14, 2, 10, false, 2},
    {"Battery",     "%",    23, 1, 1, false, 0},
    {"Temperature", "\xc2\xb0" "C", 22, 1, 2, false, 2},
    {"Time",        "s",    -1, 0, 1, false, 2},
};

unsigned rawValue(const Data& record, int channel)
{
    const ChannelInfo& info = channels[channel];
    if (info.offset < 0)
        return 0;
    const unsigned char* at = record.bytes + info.offset;
    return info.size == 1 ? at[0] : unsigned(at[0] | at[1] << 8);
}

double channelValue(const Data& record, int channel)
{
    return rawValue(record, channel) / double(channels[channel].divisor);
}

float liveValue(const Data& record, int channel)
{
    const ChannelInfo& info = channels[channel];
    const unsigned raw = rawValue(record, channel);
    return info.liveWhole ? float(raw / unsigned(info.divisor)) : float(raw / double(info.divisor));
}
