#pragma once
// How reading cardata.csv went: what the parser finds in the text and the
// file reader in the file.

#include "ZString.h"

struct CsvReadResult
{
    bool ok = true;
    // The reader was told to stop (the user cancelled); nothing is at fault.
    bool cancelled = false;
    // The first bad line, counted from 1; 0 when the fault is the file itself
    // (cannot be opened, a folder, changed while it was read).
    int line = 0;
    // For the user: "line 17: the Speed 45.678 has more than two decimals".
    ZString reason;
};
