#include "DownloadPlan.h"

namespace {

Block wholeStore(const Info& info)
{
    Block block;
    // DataPos comes off the line: the largest one would overflow plus 1 in 32 bits.
    const std::int64_t next = std::int64_t(info.DataPos) + 1;
    block.start = next > carlink::wholeStoreHighestStart ? 0 : std::int32_t(next);
    block.num = carlink::wholeStoreRecords;
    return block;
}

} // namespace

std::uint32_t directoryReadFrom(std::uint16_t dirPos, std::uint16_t dirNumber)
{
    return (std::uint32_t(dirPos) - std::uint32_t(carlink::directoryEntriesRequested)) % dirNumber;
}

Block blockForRow(const ZList<Directory>& entries, int row, const Info& info)
{
    const int held = entries.count();
    if (info.DirNumber == 0 || held == 0)
        return wholeStore(info);

    Block block;
    if (row < 0 || row >= held) {
        block.valid = false;
        return block;
    }
    block.start = entries[row].dataPosition();

    int following = row + 1;
    if (following >= info.DirNumber)
        following = 0;
    std::int32_t end = following < held ? entries[following].dataPosition() : 0;
    if (end == 0)
        end = info.DataPos;
    block.num = std::uint16_t(std::uint32_t(end) - std::uint32_t(block.start));
    return block;
}
