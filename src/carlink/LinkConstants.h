#pragma once
// The numbers that shape the link with the Car Computer, in one place.

#include <cstdint>

namespace carlink {

constexpr int lineBaud = 4800;                 // 8 data bits, no parity, one stop bit
constexpr int dataRecordSize = 34;             // one Data record on the wire
constexpr int directoryRecordSize = 12;        // one Directory entry on the wire
constexpr int infoReplySize = 8;               // DirNumber, DirPos, DataPos
constexpr std::uint16_t recordMagic = 0x4141;  // "AA" opens every record

// A read gives up after this long. A 34-byte record takes about 71 ms at 4800 baud,
// so 2 s is 28 record times: long enough for any live Car Computer, short enough
// that a silent or unplugged one never freezes the window for good.
constexpr int readTimeoutMs = 2000;

constexpr int pollIntervalMs = 100;            // live poll of the serial input
constexpr int reopenIntervalMs = 1000;         // retrying a port whose device went away
constexpr int directoryEntriesRequested = 64;  // every directory read asks for 64
constexpr int wholeStoreRecords = 2048;        // records asked for when there is no directory
constexpr int wholeStoreHighestStart = 2048;   // a whole-store start above this wraps to 0

} // namespace carlink
