#include "DownloadPlan.h"

namespace {

Block wholeStore(const Info& info)
{
    Block block;
    block.start = info.DataPos + 1;
    if (block.start > carlink::wholeStoreHighestStart)
        block.start = 0;
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
