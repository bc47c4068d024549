#pragma once
// What the line does to the Car Computer's Data records on their way: the faults
// asked for by count, and the chaos drawn at random for each live record. Every
// draw comes from one generator seeded by Faults::seed, in a fixed order, so the
// same seed gives the same faults to the same records.

#include "CarSimRecords.h"

#include <cstdint>
#include <random>
#include <vector>

namespace carsim {

// Random faults on the live stream. Each live record draws afresh, from the
// Faults' seed, whether it gets each fault, independently of the others; the same
// seed gives the same faults to the same records. The probabilities are per record;
// the defaults make a noisy line that still carries most records.
struct Chaos
{
    bool on = false;
    double wrongMagic = 0.002;    // it leaves with "AB" for its magic
    double shortRecord = 0.002;   // it is cut to 1-33 bytes
    double garbage = 0.002;       // 1-garbageBytes random bytes go before it
    int garbageBytes = 64;
    double silence = 0.0002;      // the stream pauses silenceMinMs-silenceMaxMs before it
    int silenceMinMs = 200;
    int silenceMaxMs = 3000;
    double unplug = 0.0002;       // the line closes after it (once the program has taken
                                  // it, or a second after it left) and a new one appears
                                  // under the link reopenMinMs-reopenMaxMs later; the Car
                                  // Computer streams on, as it does when a cable is pulled
    int reopenMinMs = 300;
    int reopenMaxMs = 2000;
};

// Faults on the line. Counts are 1-based over the Data records sent (live or in
// a transfer); 0 switches a fault off.
struct Faults
{
    int wrongMagicEvery = 0;        // the k-th, 2k-th ... record leaves with "AB" for its magic
    int shortRecordEvery = 0;       // the k-th, 2k-th ... record is cut to shortRecordBytes
    int shortRecordBytes = 20;
    int silentAfter = 0;            // after the k-th record it answers nothing more
    int unplugAfter = 0;            // the line closes once the program has taken the k-th
                                    // record (or a second after it left); nothing follows it
    int reopenAfterMs = -1;         // after an unplug, a new line appears this much later
    double garbageProbability = 0;  // chance of one random byte before each record
    unsigned seed = 1;              // for the garbage bytes and the chaos
    Chaos chaos;
};

// Garbage bytes are never 0x41, the magic's byte: no burst can hold a record's
// beginning, so whether a record left well-formed is never in doubt.

// The chaos drawn for one live record.
struct ChaosDraw
{
    bool wrongMagic = false;
    int shortBytes = 0;     // 0: whole
    int garbageBytes = 0;
    int silenceMs = 0;      // the stream pauses this long before it
    bool unplug = false;
    int reopenMs = -1;
};

// What becomes of one record.
struct Damage
{
    std::vector<std::uint8_t> garbage;  // goes before it
    std::size_t bytes = dataRecordBytes;  // of it that go out
    bool wrongMagic = false;
    bool silentAfter = false;  // the Car Computer answers nothing more
    bool unplugAfter = false;  // the line closes after it
};

class LineFaults
{
public:
    explicit LineFaults(const Faults& faults) { set(faults); }
    // Takes these faults and starts their seed over; the count of records goes on.
    void set(const Faults& faults);
    const Faults& faults() const { return chosen; }

    ChaosDraw drawChaos();
    // Decides the fate of the next record sent, given its chaos (if it is a live
    // record drawn for). Records are counted from 1 for the every-k-th faults.
    Damage damageNext(const ChaosDraw* chaos);
    int recordsSent() const { return records; }

private:
    std::vector<std::uint8_t> garbage(int count);

    Faults chosen;
    std::mt19937 random;
    int records = 0;
};

} // namespace carsim
