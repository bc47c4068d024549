#pragma once
// Building Car Computer records byte by byte, as they come off the wire.

#include "CarRecords.h"

#include <array>

struct Reading
{
    int throttle = 0, motorSpeed = 0, speed = 0, voltage = 0, current = 0;
    int charge1 = 0, charge2 = 0, battery = 0, temperature = 0;
};

struct Stamp
{
    int year, month, day, hour, min, sec;
};

using RawRecord = std::array<unsigned char, carlink::dataRecordSize>;

inline RawRecord rawRecord(const Stamp& at, const Reading& r = Reading())
{
    RawRecord raw{};
    auto u16 = [&raw](int offset, int value) {
        raw[offset] = static_cast<unsigned char>(value & 0xff);
        raw[offset + 1] = static_cast<unsigned char>((value >> 8) & 0xff);
    };
    raw[0] = raw[1] = 0x41;
    raw[2] = binToBcd(at.sec);
    raw[3] = binToBcd(at.min);
    raw[4] = binToBcd(at.hour);
    raw[5] = binToBcd(at.day);
    raw[6] = binToBcd(at.month);
    raw[7] = binToBcd(at.year - 2000);
    u16(8, r.voltage);
    u16(10, r.current);
    u16(12, r.charge1);
    u16(14, r.charge2);
    u16(16, r.speed);
    u16(20, r.throttle);
    raw[22] = static_cast<unsigned char>(r.temperature);
    raw[23] = static_cast<unsigned char>(r.battery);
    u16(24, r.motorSpeed);
    return raw;
}

// The record as the program keeps it: calendar bytes decoded in place.
inline Data decodedRecord(const Stamp& at, const Reading& r = Reading())
{
    Data data;
    const RawRecord raw = rawRecord(at, r);
    std::copy(raw.begin(), raw.end(), data.bytes);
    struct tm base = {};
    data.decode(base);
    return data;
}

// The record of the worked example: 2008-12-31 23:59:30 and one of every value.
inline Reading exampleReading()
{
    Reading r;
    r.throttle = 123;
    r.motorSpeed = 1500;
    r.speed = 4567;
    r.voltage = 1234;
    r.current = 150;
    r.charge1 = 100;
    r.charge2 = 205;
    r.battery = 87;
    r.temperature = 45;
    return r;
}
constexpr Stamp exampleStamp{2008, 12, 31, 23, 59, 30};
