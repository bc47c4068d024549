#pragma once
// The ten channels, each described once: its name, unit, where its field sits
// in a Data record, how the raw field becomes a value, and how many decimals
// cardata.csv gives it. Every text, file and picture of a channel reads it here.

#include "CarRecords.h"

constexpr int channelCount = 10;

// Channel order is fixed: it titles the graphs, indexes the sample windows and
// orders cardata.csv's value columns.
enum Channel { Throttle, MotorSpeed, Speed, Voltage, Current, Charge1, Charge2, Battery, Temperature, Time };

struct ChannelInfo
{
    const char* name;
    const char* unit;
    int offset;   // of the little-endian field in the record; -1: Time, which no field holds
    int size;     // bytes: 1 or 2
    int divisor;  // value = raw / divisor
    // The live windows divide as integers, dropping the remainder, as the Car
    // Computer's own display does; the log and cardata.csv keep it.
    bool liveWhole;
    int csvDecimals;  // 2, or 0 for a whole number
};

// In the header, so that the file's writer and reader fold it into their code.
inline constexpr ChannelInfo channels[channelCount] = {
    // name          unit    offset                  size divisor liveWhole csvDecimals
    {"Throttle",    "%",    dataField::throttle,    2, 10, true, 2},
    {"MotorSpeed",  "rpm",  dataField::motorSpeed,  2, 10, true, 2},
    {"Speed",       "km/h", dataField::speed,       2, 100, false, 2},
    {"Voltage",     "V",    dataField::voltage,     2, 100, false, 2},
    {"Current",     "A",    dataField::current,     2, 100, false, 2},
    {"Charge1",     "Ah",   dataField::charge1,     2, 10, false, 2},
    {"Charge2",     "Ah",   dataField::charge2,     2, 10, false, 2},
    {"Battery",     "%",    dataField::battery,     1, 1, false, 0},
    {"Temperature", "\xc2\xb0" "C", dataField::temperature, 1, 2, false, 2},
    // cardata.csv's first column: whole seconds from the first record.
    {"Time",        "s",    -1, 0, 1, false, 0},
};

// The channel's raw field of a record (0 for Time).
inline unsigned rawValue(const Data& record, int channel)
{
    const ChannelInfo& info = channels[channel];
    if (info.offset < 0)
        return 0;
    const unsigned char* at = record.bytes + info.offset;
    return info.size == 1 ? at[0] : unsigned(at[0] | at[1] << 8);
}

// The exact value, as cardata.csv writes it (Time: 0; it is not a field).
inline double channelValue(const Data& record, int channel)
{
    return rawValue(record, channel) / double(channels[channel].divisor);
}

// The value the live windows hold (Time: 0).
inline float liveValue(const Data& record, int channel)
{
    const ChannelInfo& info = channels[channel];
    const unsigned raw = rawValue(record, channel);
    return info.liveWhole ? float(raw / unsigned(info.divisor)) : float(raw / double(info.divisor));
}

// Power, derived from each record as Voltage x Current. It has no field of its
// own and no graph; the read-out, the summary and the X-Y plot show it.
inline constexpr ChannelInfo powerInfo = {"Power", "W", -1, 0, 1, false, 0};

inline double powerOf(double volts, double amps)
{
    return volts * amps;
}

inline double powerValue(const Data& record)
{
    return powerOf(channelValue(record, Voltage), channelValue(record, Current));
}
