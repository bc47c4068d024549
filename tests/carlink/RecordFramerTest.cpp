// Cutting a live stream into records when some of it arrives broken.
#include "CarSimRecords.h"
#include "RecordFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes record(int second, std::uint16_t speed = 0, int minute = 0)
{
    carsim::Sample sample;
    sample.speed = speed;
    const carsim::DataBytes raw = carsim::makeDataRecord({2009, 1, 1, 12, minute, second}, sample);
    return Bytes(raw.begin(), raw.end());
}

// What the framer makes of a stream: "R<second>" per record, "B<bytes>:<magic>" per broken run.
std::string frame(const Bytes& stream, int chunk = 1 << 20)
{
    RecordFramer framer;
    std::string seen;
    for (std::size_t at = 0; at < stream.size(); at += std::size_t(chunk)) {
        const std::size_t n = std::min(stream.size() - at, std::size_t(chunk));
        framer.add(stream.data() + at, int(n));
        const bool quiet = at + n == stream.size();  // the line falls silent after the last piece
        for (;;) {
            Data r;
            int dropped = 0;
            std::uint16_t magic = 0;
            const RecordFramer::Step step = framer.next(r, dropped, magic, quiet);
            if (step == RecordFramer::Step::NeedMore)
                break;
            char text[32];
            if (step == RecordFramer::Step::Record)
                std::snprintf(text, sizeof text, "R%d ", bcdToBin(r.bytes[2]));
            else
                std::snprintf(text, sizeof text, "B%d:%x ", dropped, unsigned(magic));
            seen += text;
        }
    }
    return seen;
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes cut(const Bytes& bytes, std::size_t length)
{
    return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
}

// A voltage whose low byte reads as no calendar byte, as most real ones do.
Bytes measured(Bytes bytes)
{
    bytes[8] = 0xd2;
    return bytes;
}

Bytes endingInMagic(Bytes bytes)
{
    bytes[32] = bytes[33] = 0x41;
    return bytes;
}

} // namespace

TEST(RecordFramer, OneBrokenRecordCostsThatRecordOnly)
{
    Bytes wrongMagic = record(2, 0, 5);  // minute 5: read from its "A", a valid calendar
    wrongMagic[1] = 0x42;
    const Bytes garbage{0x00, 0x10, 0x20, 0x30, 0x40};
    struct Case { const char* story; Bytes stream; const char* seen; };
    const Case cases[] = {
        {"records back to back", join({record(1), record(2), record(3)}), "R1 R2 R3 "},
        {"a wrong magic", join({record(1), wrongMagic, record(3)}), "R1 B34:4241 R3 "},
        {"a record cut short", join({record(1), cut(record(2), 20), record(3)}), "R1 B20:4141 R3 "},
        {"stray bytes before a record", join({record(1), Bytes{0x00, 0x13, 0xfe}, record(3)}), "R1 B3:1300 R3 "},
        {"a stray 'A' before a record", join({record(1), Bytes{0x41}, record(3)}), "R1 B1:41 R3 "},
        {"only two bytes of a record", join({record(1), cut(record(2), 2), record(3)}), "R1 B2:4141 R3 "},
        {"a record cut one byte short", join({record(1), cut(record(2), 33), record(3), record(4)}),
         "R1 B33:4141 R3 R4 "},
        {"cut one short, then one at second 41 (\"AAA\")", join({record(1), cut(record(2), 33), measured(record(41)), record(4)}),
         "R1 B33:4141 R41 R4 "},
        {"cut two short", join({record(1), cut(record(2), 32), record(3), record(4)}), "R1 B32:4141 R3 R4 "},
        {"cut three short", join({record(1), cut(record(2), 31), record(3), record(4)}), "R1 B31:4141 R3 R4 "},
        {"cut two short, then a whole one and garbage", join({record(1), cut(record(2), 32), record(3), garbage, record(4)}),
         "R1 B32:4141 R3 B5:1000 R4 "},
        {"cut three short, then a whole one and a wrong magic",
         join({record(1), cut(record(2), 31), record(3), wrongMagic, record(4)}), "R1 B31:4141 R3 B34:4241 R4 "},
        {"cut two short, then a whole one as the line falls quiet", join({record(1), cut(record(2), 32), record(3)}),
         "R1 B32:4141 R3 "},
        {"whole ones ending in the magic", join({endingInMagic(record(1)), endingInMagic(record(2, 0, 5)), record(3)}),
         "R1 R2 R3 "},
        {"one ending in the magic, then a wrong magic", join({endingInMagic(record(1)), wrongMagic, record(3)}),
         "R1 B34:4241 R3 "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frame(c.stream), c.seen) << c.story;
        EXPECT_EQ(frame(c.stream, 7), c.seen) << c.story << ", arriving in small pieces";
    }
}

TEST(RecordFramer, DataThatReadsLikeAMagicDoesNotBreakAWholeRecord)
{
    // Speed 0x4141 puts "AA" in the middle of the record; second 41 right behind its magic.
    const Bytes lookalike = record(2, 0x4141);
    EXPECT_EQ(frame(join({record(1), lookalike, record(3)})), "R1 R2 R3 ");
    Bytes wrongMagic = record(3);
    wrongMagic[1] = 0x42;
    const Bytes garbage{0x00, 0x10, 0x20, 0x30, 0x40};
    for (int chunk : {1 << 20, 5, 1}) {
        EXPECT_EQ(frame(join({record(41), garbage, record(42)}), chunk), "R41 B5:1000 R42 ") << chunk;
        EXPECT_EQ(frame(join({record(41), wrongMagic, record(44)}), chunk), "R41 B34:4241 R44 ") << chunk;
    }
    // Last in the stream and nothing behind it: a whole record all the same.
    EXPECT_EQ(frame(lookalike), "R2 ");
}

TEST(RecordFramer, APartialRecordWaitsForItsRest)
{
    RecordFramer framer;
    const Bytes r1 = record(1);
    framer.add(r1.data(), 33);
    Data r;
    int dropped;
    std::uint16_t magic;
    EXPECT_EQ(framer.next(r, dropped, magic), RecordFramer::Step::NeedMore);
    EXPECT_EQ(framer.pending(), 33);
    framer.add(r1.data() + 33, 1);
    EXPECT_EQ(framer.next(r, dropped, magic), RecordFramer::Step::Record);
    EXPECT_EQ(framer.pending(), 0);

    // Noise waits for the next magic, so that it is reported as one run.
    const Bytes noise{0x10, 0x20, 0x30};
    framer.add(noise.data(), 3);
    EXPECT_EQ(framer.next(r, dropped, magic), RecordFramer::Step::NeedMore);
    const Bytes r2 = record(2);
    framer.add(r2.data(), int(r2.size()));
    EXPECT_EQ(framer.next(r, dropped, magic), RecordFramer::Step::Broken);
    EXPECT_EQ(dropped, 3);
    EXPECT_EQ(magic, 0x2010);

    // A long run without any magic is let go rather than kept without end.
    const Bytes flood(5000, 0x55);
    RecordFramer flooded;
    flooded.add(flood.data(), int(flood.size()));
    EXPECT_EQ(flooded.next(r, dropped, magic), RecordFramer::Step::Broken);
    EXPECT_EQ(dropped, 5000);
    EXPECT_EQ(flooded.pending(), 0);
}
