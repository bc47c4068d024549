#pragma once
// Which records a download asks for: the directory window and the blocks.

#include "CarLink.h"
#include "ZList.h"

#include <cstdint>

// The directory read asks for the 64 slots before DirPos on the Car Computer's
// ring of DirNumber slots. The subtraction wraps in 32 bits before the
// remainder is taken, so DirNumber 100 and DirPos 10 give 42. DirNumber must
// not be 0 (there is no directory then).
std::uint32_t directoryReadFrom(std::uint16_t dirPos, std::uint16_t dirNumber);

struct Block
{
    std::int32_t start = 0;
    std::uint16_t num = 0;
    bool valid = true;  // false: the row names no entry that was read
};

// The records behind dialog row `row`. With no directory (DirNumber 0), or a
// directory of which no entry could be read, every row is the whole store:
// 2048 records from DataPos + 1 (from 0 when that is past 2048). Otherwise the
// block runs from the row's entry to the following entry's position (the
// entry after the last one is entry 0); a following entry that is missing or
// at position 0 ends the block at DataPos. The count is cut to 16 bits, as it
// goes on the wire.
Block blockForRow(const ZList<Directory>& entries, int row, const Info& info);
