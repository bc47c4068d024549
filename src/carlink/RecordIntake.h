#pragma once
// Where Data records enter the program: the bytes of a live tick, framed on the
// magic, or one read of a download. Each answer is a whole record (decoded, with
// its time stamp), bytes that are no record, or nothing.

#include "CarRecords.h"
#include "RecordFramer.h"

#include <cstdint>
#include <ctime>

struct IntakeResult
{
    enum class Kind {
        Whole,    // `record` decoded in place; `stamp` its time
        Broken,   // `bytes` that are no record, `magic` their first two (little-endian)
        Nothing,  // nothing to take; after a read, `bytes` is what the read returned
    };
    Kind kind = Kind::Nothing;
    Data record;
    std::time_t stamp = 0;
    int bytes = 0;
    std::uint16_t magic = 0;
};

class RecordIntake
{
public:
    // The present moment, whose daylight-saving flag every record's calendar
    // time borrows. Tests pass a clock of their own; by default the PC's.
    using Clock = std::time_t (*)();
    explicit RecordIntake(Clock clock = nullptr);

    // Live: the bytes one tick read, then its answers until Nothing. `lineQuiet`
    // says the tick brought nothing new: a record that waits only to see what
    // follows it is decided now.
    void addLive(const unsigned char* bytes, int count);
    IntakeResult nextLive(bool lineQuiet);

    // The line is gone: what waits is decided as on a quiet line, one answer per
    // call; the first Nothing has let go of whatever is left.
    IntakeResult nextAtLineEnd();

    // A new run (LiveData, a download) frames nothing left from the last one.
    void startRun() { framer.clear(); }
    int pending() const { return framer.pending(); }

    // Download: one read of a record; `received` is what the read returned.
    IntakeResult takeRead(const Data& raw, int received);

private:
    IntakeResult whole(const Data& raw);

    Clock clock;
    RecordFramer framer;
};

// The console's line for bytes that are no record:
// "Error in packet received: Num: <bytes> Magic: <first two, hex>".
void reportBroken(const IntakeResult& broken);
