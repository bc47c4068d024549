#pragma once
// Reading the Car Computer's directory of stored blocks, entry by entry.

#include "CarLink.h"
#include "ZList.h"

// The directory read that follows an Info reply announcing a directory
// (DirNumber not 0): prints "Read from: <from> Num: 64", asks for the 64 slots
// before DirPos, and appends every entry that is no empty slot, decoded, to
// `entries`. The read ends at the first entry that does not come (quietly) or
// comes broken, with a wrong magic or cut short (told on standard error).
void readDirectory(ZSerial& port, const Info& info, ZList<Directory>& entries);
