#include "DirectoryRead.h"

#include "DownloadPlan.h"

#include <cstdio>
#include <ctime>

void readDirectory(ZSerial& port, const Info& info, ZList<Directory>& entries)
{
    const std::uint32_t from = directoryReadFrom(info.DirPos, info.DirNumber);
    const std::uint32_t num = carlink::directoryEntriesRequested;
    std::printf("Read from: %u Num: %u\n", from, num);
    carlink::startDirectoryTransfer(port, from, std::uint16_t(num));

    // The entries' calendar times borrow the daylight-saving flag of the present moment.
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    for (std::uint32_t i = 0; i < num; ++i) {
        Directory entry;
        const int received = carlink::readDirectoryEntry(port, entry);
        if (received <= 0)
            return;
        // A short entry is as broken as one with a wrong magic, though its
        // magic may well be right: its other fields are whatever came.
        if (received != carlink::directoryRecordSize) {
            std::fprintf(stderr, "Error in directory received: short entry of %d bytes\n", received);
            return;
        }
        if (entry.magic() != carlink::recordMagic) {
            std::fprintf(stderr, "Error in directory received: %x\n", unsigned(entry.magic()));
            return;
        }
        if (entry.isEmptySlot())
            continue;
        entry.decode(local);
        entries.append(entry);
    }
}
