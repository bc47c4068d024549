#pragma once
// The Car Computer's records as the program keeps them: the bytes as received,
// with the six calendar bytes decoded in place (plain numbers, year since 1900).
// Multi-byte fields are little-endian.

#include "LinkConstants.h"

#include <cstdint>
#include <ctime>

int bcdToBin(unsigned char bcd);
unsigned char binToBcd(unsigned int value);

// Decodes the six calendar bytes (sec, min, hour, day, month, year) in place and
// returns their time stamp (calendarSeconds).
time_t decodeCalendar(unsigned char* calendar, const struct tm& base);

// The program's one reading of a calendar time: mktime of decoded calendar bytes
// in the local time zone, the other members of `base` (its daylight-saving flag
// above all) filling the rest. Received records pass the present moment's local
// time (RecordIntake), the export an all-zero base, which says standard time.
time_t calendarSeconds(const unsigned char* calendar, const struct tm& base);

// Where each measured field sits in a Data record: the accessors below and
// the channel table read the same numbers.
namespace dataField {
constexpr int voltage = 8, current = 10, charge1 = 12, charge2 = 14, speed = 16, throttle = 20, temperature = 22,
              battery = 23, motorSpeed = 24;
} // namespace dataField

struct Data
{
    unsigned char bytes[carlink::dataRecordSize] = {};

    std::uint16_t magic() const { return u16(0); }
    int sec() const { return bytes[2]; }
    int min() const { return bytes[3]; }
    int hour() const { return bytes[4]; }
    int day() const { return bytes[5]; }
    int month() const { return bytes[6]; }   // 1-12
    int year() const { return bytes[7]; }    // years since 1900 once decoded
    std::uint16_t voltage() const { return u16(dataField::voltage); }
    std::uint16_t current() const { return u16(dataField::current); }
    std::uint16_t charge1() const { return u16(dataField::charge1); }
    std::uint16_t charge2() const { return u16(dataField::charge2); }
    std::uint16_t speed() const { return u16(dataField::speed); }
    std::uint16_t throttle() const { return u16(dataField::throttle); }
    std::uint8_t temperature() const { return bytes[dataField::temperature]; }
    std::uint8_t battery() const { return bytes[dataField::battery]; }
    std::uint16_t motorSpeed() const { return u16(dataField::motorSpeed); }

    time_t decode(const struct tm& base) { return decodeCalendar(bytes + 2, base); }
    time_t seconds(const struct tm& base) const { return calendarSeconds(bytes + 2, base); }

private:
    std::uint16_t u16(int at) const { return std::uint16_t(bytes[at] | bytes[at + 1] << 8); }
};

struct Directory
{
    unsigned char bytes[carlink::directoryRecordSize] = {};

    std::uint16_t magic() const { return std::uint16_t(bytes[0] | bytes[1] << 8); }
    int sec() const { return bytes[2]; }
    int min() const { return bytes[3]; }
    int hour() const { return bytes[4]; }
    int day() const { return bytes[5]; }
    int month() const { return bytes[6]; }
    int year() const { return bytes[7]; }
    // A year byte of 0, as received, marks an empty directory slot.
    bool isEmptySlot() const { return bytes[7] == 0; }
    std::int32_t dataPosition() const
    {
        return std::int32_t(std::uint32_t(bytes[8]) | std::uint32_t(bytes[9]) << 8 |
                            std::uint32_t(bytes[10]) << 16 | std::uint32_t(bytes[11]) << 24);
    }

    time_t decode(const struct tm& base) { return decodeCalendar(bytes + 2, base); }
};
