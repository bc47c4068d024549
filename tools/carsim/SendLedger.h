#pragma once
// The account of every Data record the simulator put on the line: how it left,
// and whether a hang-up may have swallowed it before the program read it.

#include "CarSimRecords.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace carsim {

// How a Data record left the Car Computer.
enum class Departure { WellFormed, WrongMagic, CutShort };

// One Data record sent, live or in a transfer.
struct SentRecord
{
    std::uint32_t sequence = 0;         // its bytes 26-29 as made, before any fault
    std::uint64_t digest = 0;           // of its 34 bytes as made (recordDigest)
    Departure departure = Departure::WellFormed;
    std::uint8_t bytes = dataRecordBytes;  // how many of its bytes went out
    std::uint8_t garbageBefore = 0;        // random bytes sent just before it
    bool silenceBefore = false;            // the stream paused just before it
    bool unplugAfter = false;              // the line closed after it
    bool live = true;
    // Not known to have reached the program: the line hung up while it was still
    // unread there (the pseudo-terminal throws that away), or it never left.
    bool lostOnLine = false;

    // A whole record with the right magic that the program could read.
    bool arrived() const { return departure == Departure::WellFormed && !lostOnLine; }
};

// Everything the Car Computer put on the line since it started.
struct SendLog
{
    std::vector<SentRecord> records;  // in the order sent
    long garbageBytes = 0;
    int silences = 0;
    int unplugs = 0;                  // every time the line closed before stop()
    int reopens = 0;
};

// FNV-1a of a record's 34 bytes, so a received record can be matched with the one sent.
std::uint64_t recordDigest(const std::uint8_t* record);

class SendLedger
{
public:
    // A record whose last byte is byte `streamEnd` of everything ever queued for the line.
    void add(const SentRecord& record, std::uint64_t streamEnd);
    // A new line opened: a later hang-up concerns only the records sent from now on.
    void lineOpened() { lineFirst = sent.size(); }
    // The line hung up after the program had read every byte before `deliveredUpTo`:
    // the records of this line that ended beyond it are lost.
    void markLost(std::uint64_t deliveredUpTo);

    void addGarbage(long bytes) { garbageBytes += bytes; }
    void addSilence() { ++silences; }
    void addUnplug() { ++unplugs; }
    void addReopen() { ++reopens; }

    SendLog log() const;

private:
    struct Entry
    {
        SentRecord record;
        std::uint64_t streamEnd;
    };
    std::deque<Entry> sent;
    std::size_t lineFirst = 0;  // the first entry of the open line
    long garbageBytes = 0;
    int silences = 0;
    int unplugs = 0;
    int reopens = 0;
};

} // namespace carsim
