#pragma once
// What the simulated Car Computer keeps and sends: its clock, its records as wire
// bytes, its data store with the directory of blocks, and the vehicle whose values
// it logs. Written apart from the program's own decoding on purpose, so that a
// mistake on one side of the line is not hidden by the same mistake on the other.

#include <array>
#include <cstdint>
#include <vector>

namespace carsim {

constexpr int dataRecordBytes = 34;
constexpr int directoryEntryBytes = 12;
constexpr std::uint8_t magicByte = 0x41;       // every record opens with "AA"
constexpr std::uint8_t ackByte = 0x06;         // its value carries no meaning
constexpr std::uint8_t erasedByte = 0xFF;      // a store position never written

using DataBytes = std::array<std::uint8_t, dataRecordBytes>;
using DirectoryBytes = std::array<std::uint8_t, directoryEntryBytes>;

// A calendar time of the Car Computer's clock. It has no time zone: it shows
// whatever it was last set to.
struct Stamp
{
    int year = 2000;  // 2000-2099
    int month = 1;    // 1-12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const Stamp& o) const
    {
        return year == o.year && month == o.month && day == o.day && hour == o.hour &&
               minute == o.minute && second == o.second;
    }
};

// Seconds since 2000-01-01 00:00:00 of the clock's own calendar, and back.
std::int64_t stampSeconds(const Stamp& stamp);
Stamp stampAt(std::int64_t seconds);
// The PC's local time now.
Stamp localStampNow();

std::uint8_t toBcd(int value);
int fromBcd(std::uint8_t bcd);

// The raw values of one Data record, as they go on the wire.
struct Sample
{
    std::uint16_t voltage = 0;     // 1/100 V
    std::uint16_t current = 0;     // 1/100 A
    std::uint16_t charge1 = 0;     // 1/10 Ah drawn
    std::uint16_t charge2 = 0;     // 1/10 Ah recovered
    std::uint16_t speed = 0;       // 1/100 km/h
    std::uint16_t throttle = 0;    // 1/10 %
    std::uint8_t temperature = 0;  // 1/2 degree C
    std::uint8_t battery = 0;      // % left
    std::uint16_t motorSpeed = 0;  // 1/10 rpm
};

DataBytes makeDataRecord(const Stamp& at, const Sample& sample);

// Bytes 26-33 of a Data record, which the program passes through unread, carry the
// record's sequence number: a 32-bit counter at 26 and its bitwise complement at 30,
// both little-endian. A received record can so be told from every other, and a
// mangled one shows by the two disagreeing.
constexpr int sequenceOffset = 26;
void setSequence(DataBytes& record, std::uint32_t sequence);
// The sequence number of the 34 record bytes at `record`; false when counter and
// complement disagree.
bool readSequence(const std::uint8_t* record, std::uint32_t& sequence);
DirectoryBytes makeDirectoryEntry(const Stamp& blockStart, std::int32_t dataPosition);
// An unused directory slot: the magic, then zeros (year byte 0).
DirectoryBytes emptyDirectorySlot();
DataBytes erasedRecord();

// The values of a record as the Car Computer logged them.
Stamp recordStamp(const DataBytes& record);
Sample recordSample(const DataBytes& record);

// An electric vehicle on a drive: smooth throttle, lagging speed, current and
// voltage sag, charge counters and a slowly warming motor.
class VehicleModel
{
public:
    void reset();
    // Moves the drive on by dt seconds and gives the values at that moment.
    Sample step(double dt);

private:
    double elapsed = 0;
    double speed = 0;        // km/h
    double drawnAh = 0;
    double recoveredAh = 0;
    double temperature = 22; // degree C
};

// The Car Computer's memory: a ring of data positions and a ring of directory
// slots, each block of logged records having one directory entry.
//
// DataPos is the position the next record goes to, DirPos the slot the next
// block's entry goes to. The program reads the whole store as 2048 records from
// DataPos + 1, wrapping above 2048: with 2049 positions that is exactly the 2048
// newest records, oldest first. It reads the directory as the 64 slots before
// DirPos, which with 64 slots (or any power of two) is the ring oldest first.
struct Store
{
    std::vector<DataBytes> records;          // the data ring; its size is the number of positions
    std::vector<DirectoryBytes> directory;   // the directory ring; its size is DirNumber
    std::uint16_t dirPos = 0;
    std::int32_t dataPos = 0;

    // Appends a record at DataPos.
    void log(const DataBytes& record);
    // Opens a new block at DataPos, stamped `at` (nothing without a directory).
    void startBlock(const Stamp& at);
    // Position p of the ring, any integer taken modulo the ring's size.
    const DataBytes& recordAt(std::int64_t position) const;
    // Factory state: every position erased, every slot empty, both positions 0.
    void clear();
};

constexpr int defaultPositions = 2049;

// A store that has already logged `blocks` drives of `recordsPerBlock` records
// each (one second apart, the last ending shortly before `now`), from position 0 on.
// They carry the sequence numbers 1, 2, ... in the order they were logged.
Store makeStore(int blocks, int recordsPerBlock, int directorySlots, int positions,
                const Stamp& now);

} // namespace carsim
