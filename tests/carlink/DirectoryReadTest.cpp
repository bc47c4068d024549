// The directory read, against a line that brings what each case gives.
#include "DirectoryRead.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

using namespace linktest;

namespace {

// An entry as it comes off the wire: a block logged 2008-03-07 09:05:02 at `position`.
Bytes entry(std::int32_t position, std::uint8_t second = 0x02, std::uint8_t magic2 = 0x41)
{
    const auto p = std::uint32_t(position);
    return {0x41, magic2, second, 0x05, 0x09, 0x07, 0x03, 0x08,
            std::uint8_t(p), std::uint8_t(p >> 8), std::uint8_t(p >> 16), std::uint8_t(p >> 24)};
}

Bytes emptySlot()
{
    Bytes slot = entry(0);
    slot[7] = 0;
    return slot;
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST(DirectoryRead, KeepsTheEntriesBeforeTheFirstBrokenOneAndSaysWhatBrokeIt)
{
    struct Case
    {
        const char* story;
        Bytes afterAcknowledgement;
        std::vector<std::int32_t> kept;
        std::string error;
    };
    const Bytes second = entry(400);
    const Case cases[] = {
        {"a wrong magic", join({entry(100), emptySlot(), entry(400), entry(900, 0x02, 0x42)}), {100, 400},
         "Error in directory received: 4241\n"},
        {"an entry cut short, its magic right", join({entry(100), Bytes(second.begin(), second.begin() + 5)}), {100},
         "Error in directory received: short entry of 5 bytes\n"},
        {"silence after two entries", join({entry(100), entry(400)}), {100, 400}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        Line line;
        ASSERT_TRUE(line.ready());
        line.simulator.setAnswering(false);
        line.simulator.sendRaw(join({{0x06}, c.afterAcknowledgement}));
        Info info;
        info.DirNumber = 64;
        info.DirPos = 3;

        ZList<Directory> entries;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        readDirectory(line.port, info, entries);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Read from: 3 Num: 64\n");
        EXPECT_EQ(err, c.error);

        ASSERT_EQ(entries.count(), int(c.kept.size()));
        for (int i = 0; i < entries.count(); ++i) {
            EXPECT_EQ(entries[i].dataPosition(), c.kept[std::size_t(i)]);
            EXPECT_EQ(entries[i].year(), 108) << "decoded";
            EXPECT_EQ(entries[i].sec(), 2);
        }
        const Bytes sent = line.traffic(7);
        ASSERT_GE(sent.size(), 7u);
        EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 7), (Bytes{'d', 3, 0, 0, 0, 64, 0}));
    }
}
