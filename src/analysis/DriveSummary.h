#pragma once
// The answers about a stretch of a drive: records [first, last) of a
// recording. A figure that the stretch cannot give (no records, no distance
// for Wh/km, never moving) is NaN; an index that does not exist is -1.

#include "Channels.h"

#include <QtGlobal>

struct ChannelStats
{
    float min = 0, max = 0;
    double mean = 0;
    qint64 minIndex = -1, maxIndex = -1;  // the first record with that value
};

struct DriveSummary
{
    qint64 first = 0, last = 0;
    qint64 records = 0;
    double seconds = 0;   // from the first record's time to the last's
    qint64 gaps = 0;      // steps longer than DriveIntegrals::longestStep, not integrated
    double km = 0;
    double movingSpeed = 0;  // km/h: distance over the time with Speed > 0
    double maxSpeed = 0;
    double wh = 0;
    double whPerKm = 0;   // energy over distance
    float peakPower = 0;  // W
    qint64 peakPowerIndex = -1;
    double peakPowerTime = 0;
    double charge1Drawn = 0, charge2Recovered = 0, chargeNet = 0;  // Ah
    float batteryStart = 0, batteryEnd = 0, batteryUsed = 0;       // %
    ChannelStats channel[Time];  // the nine measured channels
    ChannelStats power;          // W: Voltage x Current; its max is the peak power
    // The lowest Voltage among the records where Current is at its highest.
    float sagVoltage = 0, sagCurrent = 0;
    qint64 sagIndex = -1;
};
