#include "DownloadPlan.h"

#include <gtest/gtest.h>

namespace {

Directory entryAt(std::int32_t position)
{
    Directory entry;
    entry.bytes[0] = entry.bytes[1] = 0x41;
    entry.bytes[7] = 100;  // a decoded year: not an empty slot
    for (int i = 0; i < 4; ++i)
        entry.bytes[8 + i] = static_cast<unsigned char>((std::uint32_t(position) >> (8 * i)) & 0xff);
    return entry;
}

ZList<Directory> entriesAt(std::initializer_list<std::int32_t> positions)
{
    ZList<Directory> entries;
    for (std::int32_t p : positions)
        entries.append(entryAt(p));
    return entries;
}

Info info(std::uint16_t dirNumber, std::uint16_t dirPos, std::int32_t dataPos)
{
    Info i;
    i.DirNumber = dirNumber;
    i.DirPos = dirPos;
    i.DataPos = dataPos;
    return i;
}

} // namespace

TEST(DownloadPlan, DirectoryReadLooksSixtyFourSlotsBackOnTheRing)
{
    struct Case { std::uint16_t dirPos, dirNumber; std::uint32_t from; };
    const Case cases[] = {
        {80, 100, 16},    // plain subtraction
        {10, 256, 202},   // a power of two: the ring position 64 back
        {10, 100, 42},    // wraps in 32 bits before the remainder
        {64, 64, 0},
        {0, 3, (0u - 64u) % 3u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(directoryReadFrom(c.dirPos, c.dirNumber), c.from) << c.dirPos << " of " << c.dirNumber;
}

TEST(DownloadPlan, BlocksRunToTheFollowingEntryAndTheLastWrapsToTheFirst)
{
    const ZList<Directory> entries = entriesAt({100, 400, 900});
    const Info store = info(3, 0, 1000);
    struct Case { int row; std::int32_t start; std::uint16_t num; };
    const Case cases[] = {{0, 100, 300}, {1, 400, 500}, {2, 900, 64736}};
    for (const Case& c : cases) {
        const Block block = blockForRow(entries, c.row, store);
        EXPECT_TRUE(block.valid);
        EXPECT_EQ(block.start, c.start) << "row " << c.row;
        EXPECT_EQ(block.num, c.num) << "row " << c.row;
    }
}

TEST(DownloadPlan, BlockEndsAtDataPosWhenTheFollowingEntryIsAtZeroOrWasNotRead)
{
    const Info store = info(10, 0, 1000);
    EXPECT_EQ(blockForRow(entriesAt({100, 0}), 0, store).num, 900);
    // Ten slots, three read: the entry after the last one read is missing.
    const Block last = blockForRow(entriesAt({100, 400, 900}), 2, store);
    EXPECT_TRUE(last.valid);
    EXPECT_EQ(last.start, 900);
    EXPECT_EQ(last.num, 100);
}

TEST(DownloadPlan, WithoutDirectoryEveryRowIsTheWholeStore)
{
    const ZList<Directory> none;
    struct Case { Info store; std::int32_t start; };
    const Case cases[] = {
        {info(0, 0, 2047), 2048},
        {info(0, 0, 2048), 0},     // past the highest start: from the beginning
        {info(0, 0, 5), 6},
        {info(7, 3, 2047), 2048},  // a directory was announced but none of it could be read
    };
    for (const Case& c : cases) {
        const Block block = blockForRow(none, 0, c.store);
        EXPECT_TRUE(block.valid);
        EXPECT_EQ(block.start, c.start);
        EXPECT_EQ(block.num, 2048);
    }
}

TEST(DownloadPlan, ARowPastTheEntriesReadIsRefusedNotRead)
{
    const ZList<Directory> entries = entriesAt({100, 400});
    EXPECT_FALSE(blockForRow(entries, 2, info(5, 0, 1000)).valid);
    EXPECT_FALSE(blockForRow(entries, -1, info(5, 0, 1000)).valid);
}
