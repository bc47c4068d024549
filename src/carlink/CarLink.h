#pragma once
// Every exchange with the Car Computer, byte for byte. Each function takes the
// port and plain values and knows nothing of windows; the main window decides
// when to talk, these functions decide what goes on the wire.

#include "CarRecords.h"
#include "ZSerial.h"

#include <cstdint>
#include <ctime>

// The Car Computer's answer to `i`.
struct Info
{
    std::uint16_t DirNumber = 0;
    std::uint16_t DirPos = 0;
    std::int32_t DataPos = 0;
};

namespace carlink {

// One-byte commands; each returns the write's result (1, or -1 on failure).
int sendLiveStart(ZSerial& port);      // 'c'
int sendLiveStop(ZSerial& port);       // 'r'
int sendReset(ZSerial& port);          // 'R'
int sendFactoryReset(ZSerial& port);   // 'Z'
int requestNext(ZSerial& port);        // 'n'

// 'i', then three reads. A read that fails leaves that field as it was.
void readInfo(ZSerial& port, Info& info);

// 'd', one acknowledgement read, `from` (4 bytes), `num` (2 bytes).
void startDirectoryTransfer(ZSerial& port, std::uint32_t from, std::uint16_t num);
// 'n', then one read of a 12-byte entry (not decoded). The read's result.
int readDirectoryEntry(ZSerial& port, Directory& entry);

// 'd', one acknowledgement read, `start` (4 bytes), `num` (2 bytes), 'n'.
void startDataTransfer(ZSerial& port, std::int32_t start, std::uint16_t num);
// 'd' then 'n', no acknowledgement: the poll takes the records.
void startOlderTransfer(ZSerial& port);
// One read of a 34-byte record (not decoded). The read's result.
int readDataRecord(ZSerial& port, Data& record);

// The set-clock message for `localTime`: 't', then sec, min, hour, day, month
// (1-12) and year (since 2000) in BCD, each byte acknowledged before the next.
// 0 when all seven were acknowledged; -1 at the first acknowledgement that did
// not arrive (the rest is not sent).
int setClock(ZSerial& port, const struct tm& localTime);

} // namespace carlink
