#include "CarSimRecords.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace carsim {

namespace {

constexpr double pi = 3.14159265358979323846;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = std::int64_t(y - era * 400);
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2));
}

const std::int64_t epoch2000 = daysFromCivil(2000, 1, 1);

std::uint16_t u16At(const DataBytes& r, int at) { return std::uint16_t(r[at] | r[at + 1] << 8); }

void putU16(DataBytes& r, int at, double value)
{
    const auto v = std::uint16_t(std::clamp(std::lround(value), 0L, 65535L));
    r[at] = std::uint8_t(v);
    r[at + 1] = std::uint8_t(v >> 8);
}

void putCalendar(std::uint8_t* at, const Stamp& s)
{
    at[0] = toBcd(s.second);
    at[1] = toBcd(s.minute);
    at[2] = toBcd(s.hour);
    at[3] = toBcd(s.day);
    at[4] = toBcd(s.month);
    at[5] = toBcd(s.year - 2000);
}

} // namespace

std::int64_t stampSeconds(const Stamp& s)
{
    return (daysFromCivil(s.year, s.month, s.day) - epoch2000) * 86400 + s.hour * 3600 +
           s.minute * 60 + s.second;
}

Stamp stampAt(std::int64_t seconds)
{
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    Stamp s;
    civilFromDays(days + epoch2000, s.year, s.month, s.day);
    s.hour = int(rest / 3600);
    s.minute = int(rest / 60 % 60);
    s.second = int(rest % 60);
    return s;
}

Stamp localStampNow()
{
    std::time_t now = std::time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    Stamp s;
    s.year = local.tm_year + 1900;
    s.month = local.tm_mon + 1;
    s.day = local.tm_mday;
    s.hour = local.tm_hour;
    s.minute = local.tm_min;
    s.second = std::min(local.tm_sec, 59);
    return s;
}

std::uint8_t toBcd(int value)
{
    value = std::clamp(value, 0, 99);
    return std::uint8_t(value / 10 << 4 | value % 10);
}

int fromBcd(std::uint8_t bcd)
{
    return (bcd >> 4) * 10 + (bcd & 0x0F);
}

DataBytes makeDataRecord(const Stamp& at, const Sample& v)
{
    DataBytes r{};
    r[0] = r[1] = magicByte;
    putCalendar(&r[2], at);
    putU16(r, 8, v.voltage);
    putU16(r, 10, v.current);
    putU16(r, 12, v.charge1);
    putU16(r, 14, v.charge2);
    putU16(r, 16, v.speed);
    putU16(r, 20, v.throttle);
    r[22] = v.temperature;
    r[23] = v.battery;
    putU16(r, 24, v.motorSpeed);
    return r;
}

void setSequence(DataBytes& record, std::uint32_t sequence)
{
    for (int i = 0; i < 4; ++i) {
        record[std::size_t(sequenceOffset + i)] = std::uint8_t(sequence >> 8 * i);
        record[std::size_t(sequenceOffset + 4 + i)] = std::uint8_t(~sequence >> 8 * i);
    }
}

bool readSequence(const std::uint8_t* record, std::uint32_t& sequence)
{
    std::uint32_t counter = 0;
    std::uint32_t complement = 0;
    for (int i = 3; i >= 0; --i) {
        counter = counter << 8 | record[sequenceOffset + i];
        complement = complement << 8 | record[sequenceOffset + 4 + i];
    }
    sequence = counter;
    return counter == ~complement;
}

DirectoryBytes makeDirectoryEntry(const Stamp& blockStart, std::int32_t dataPosition)
{
    DirectoryBytes e{};
    e[0] = e[1] = magicByte;
    putCalendar(&e[2], blockStart);
    const auto p = std::uint32_t(dataPosition);
    for (int i = 0; i < 4; ++i)
        e[8 + i] = std::uint8_t(p >> 8 * i);
    return e;
}

DirectoryBytes emptyDirectorySlot()
{
    DirectoryBytes e{};
    e[0] = e[1] = magicByte;
    return e;
}

DataBytes erasedRecord()
{
    DataBytes r;
    r.fill(erasedByte);
    return r;
}

Stamp recordStamp(const DataBytes& r)
{
    Stamp s;
    s.second = fromBcd(r[2]);
    s.minute = fromBcd(r[3]);
    s.hour = fromBcd(r[4]);
    s.day = fromBcd(r[5]);
    s.month = fromBcd(r[6]);
    s.year = 2000 + fromBcd(r[7]);
    return s;
}

Sample recordSample(const DataBytes& r)
{
    Sample v;
    v.voltage = u16At(r, 8);
    v.current = u16At(r, 10);
    v.charge1 = u16At(r, 12);
    v.charge2 = u16At(r, 14);
    v.speed = u16At(r, 16);
    v.throttle = u16At(r, 20);
    v.temperature = r[22];
    v.battery = r[23];
    v.motorSpeed = u16At(r, 24);
    return v;
}

void VehicleModel::reset()
{
    *this = VehicleModel();
}

Sample VehicleModel::step(double dt)
{
    dt = std::max(dt, 0.0);
    elapsed += dt;
    const double t = elapsed;

    // Three slow waves make a drive: accelerating, cruising, easing off, stopping.
    // A drive pulls away gently from standstill over its first quarter minute.
    const double pullAway = std::min(t / 15, 1.0);
    const double throttle = pullAway * std::clamp(38 + 32 * std::sin(2 * pi * t / 90) +
                                                      18 * std::sin(2 * pi * t / 23 + 1.3) +
                                                      7 * std::sin(2 * pi * t / 7 + 0.4),
                                                  0.0, 100.0);
    const double previousSpeed = speed;
    speed += (throttle * 0.85 - speed) * (1 - std::exp(-dt / 6));
    const double acceleration = dt > 0 ? (speed - previousSpeed) / dt : 0;

    const double current = 1.5 + throttle * 1.1 + std::max(acceleration, 0.0) * 6 +
                           0.4 * std::sin(t * 5.3);
    drawnAh += current * dt / 3600;
    if (throttle < 12 && speed > 5)
        recoveredAh += (12 - throttle) * 0.9 * dt / 3600;
    const double battery = std::clamp(100 - (drawnAh - recoveredAh) / 80 * 100, 0.0, 100.0);
    const double voltage = 50.4 - current * 0.025 - (100 - battery) * 0.05;
    temperature += (24 + current * 0.3 - temperature) * (1 - std::exp(-dt / 300));

    Sample s;
    s.throttle = std::uint16_t(std::lround(throttle * 10));
    s.speed = std::uint16_t(std::lround(speed * 100));
    s.motorSpeed = std::uint16_t(std::lround(speed * 55 * 10));
    s.current = std::uint16_t(std::lround(std::max(current, 0.0) * 100));
    s.voltage = std::uint16_t(std::lround(voltage * 100));
    s.charge1 = std::uint16_t(std::min(std::lround(drawnAh * 10), 65535L));
    s.charge2 = std::uint16_t(std::min(std::lround(recoveredAh * 10), 65535L));
    s.battery = std::uint8_t(std::lround(battery));
    s.temperature = std::uint8_t(std::clamp(std::lround(temperature * 2), 0L, 255L));
    return s;
}

void Store::log(const DataBytes& record)
{
    if (records.empty())
        return;
    const auto size = std::int64_t(records.size());
    records[std::size_t(((dataPos % size) + size) % size)] = record;
    dataPos = std::int32_t((std::int64_t(dataPos) + 1) % size);
}

void Store::startBlock(const Stamp& at)
{
    if (directory.empty())
        return;
    directory[dirPos % directory.size()] = makeDirectoryEntry(at, dataPos);
    dirPos = std::uint16_t((dirPos + 1) % directory.size());
}

const DataBytes& Store::recordAt(std::int64_t position) const
{
    static const DataBytes erased = erasedRecord();
    if (records.empty())
        return erased;
    const auto size = std::int64_t(records.size());
    return records[std::size_t(((position % size) + size) % size)];
}

void Store::clear()
{
    std::fill(records.begin(), records.end(), erasedRecord());
    std::fill(directory.begin(), directory.end(), emptyDirectorySlot());
    dirPos = 0;
    dataPos = 0;
}

Store makeStore(int blocks, int recordsPerBlock, int directorySlots, int positions, const Stamp& now)
{
    Store store;
    store.records.assign(std::size_t(std::max(positions, 0)), erasedRecord());
    store.directory.assign(std::size_t(std::clamp(directorySlots, 0, 65535)), emptyDirectorySlot());

    // Each drive lasts one second per record and is followed by a ten-minute stop.
    const std::int64_t span = std::int64_t(recordsPerBlock) + 600;
    const std::int64_t end = stampSeconds(now);
    for (int b = 0; b < blocks; ++b) {
        const std::int64_t start = end - (blocks - b) * span;
        store.startBlock(stampAt(start));
        VehicleModel drive;
        for (int k = 0; k < recordsPerBlock; ++k) {
            DataBytes record = makeDataRecord(stampAt(start + k), drive.step(k == 0 ? 0 : 1));
            setSequence(record, std::uint32_t(b) * std::uint32_t(recordsPerBlock) + std::uint32_t(k) + 1);
            store.log(record);
        }
    }
    return store;
}

} // namespace carsim
