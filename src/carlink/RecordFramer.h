#pragma once
// Cuts the live stream into Data records. The Car Computer sends its records
// back to back; when one arrives broken (cut short, with a wrong magic, or
// behind stray bytes) the framer skips to the next magic, so that one bad
// record costs that record only, not every record after it.

#include "CarRecords.h"

#include <cstdint>
#include <vector>

class RecordFramer
{
public:
    enum class Step {
        Record,    // a whole record, with its calendar bytes not yet decoded
        Broken,    // bytes that are no record were dropped
        NeedMore,  // wait for more bytes
    };

    void add(const unsigned char* bytes, int count);
    void clear() { buffer.clear(); }
    int pending() const { return int(buffer.size()); }

    // The next thing in the stream. For Broken, `droppedBytes` and
    // `droppedMagic` (the first two dropped bytes, little-endian) say what went.
    // `atRest` says that the line has gone quiet: nothing more is on its way
    // for now, so a record that waits only for what follows it is decided.
    Step next(Data& record, int& droppedBytes, std::uint16_t& droppedMagic, bool atRest = false);

private:
    bool magicAt(std::size_t at) const;
    // Whether the calendar bytes of a candidate at `at` are a valid time stamp.
    bool plausible(std::size_t at) const;
    // The first magic at or after `from` that starts before `before`, or -1.
    int findMagic(std::size_t from, std::size_t before) const;
    Step drop(std::size_t count, int& droppedBytes, std::uint16_t& droppedMagic);

    std::vector<unsigned char> buffer;
};
