#pragma once
// Drives made up for the summary's tests and benchmark: records with only
// the fields the figures read, at whole-second stamps as the link gives them.

#include "Recording.h"

#include <cmath>
#include <vector>

struct DriveStep
{
    int second;
    double speed, volts, amps;
    int charge1 = 0, charge2 = 0, battery = 0;  // raw: Ah x 10, %
};

inline Data driveRecord(const DriveStep& s)
{
    Data d;
    const auto u16 = [&d](int at, long value) {
        d.bytes[at] = static_cast<unsigned char>(value & 0xff);
        d.bytes[at + 1] = static_cast<unsigned char>(value >> 8 & 0xff);
    };
    u16(dataField::speed, std::lround(s.speed * 100));
    u16(dataField::voltage, std::lround(s.volts * 100));
    u16(dataField::current, std::lround(s.amps * 100));
    u16(dataField::charge1, s.charge1);
    u16(dataField::charge2, s.charge2);
    d.bytes[dataField::battery] = static_cast<unsigned char>(s.battery);
    return d;
}

inline void addDrive(Recording& recording, const std::vector<DriveStep>& steps)
{
    std::vector<Recording::Arrival> batch;
    for (const DriveStep& s : steps)
        batch.push_back({driveRecord(s), 1000000 + s.second});
    recording.add(batch);
}
