#pragma once
// The ten channels, each described once: its name, unit, where its field sits
// in a Data record, how the raw field becomes a value, and how many decimals
// cardata.csv gives it. Every text, file and picture of a channel reads it here.

#include "CarRecords.h"

constexpr int channelCount = 10;

// Channel order is fixed: it titles the graphs and indexes the sample windows.
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

extern const ChannelInfo channels[channelCount];

// The channel's raw field of a record (0 for Time).
unsigned rawValue(const Data& record, int channel);
// The exact value, as cardata.csv writes it (Time: 0; it is not a field).
double channelValue(const Data& record, int channel);
// The value the live windows hold (Time: 0).
float liveValue(const Data& record, int channel);
