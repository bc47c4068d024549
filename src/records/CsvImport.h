#pragma once
// Reading a file in cardata.csv's layout back into records. A file is taken
// only when writing its records again gives the very same text (line ends
// aside: Save writes LF where the file may have CRLF); anything else is
// refused whole, naming the first line at fault.

#include "CarRecords.h"
#include "RecordList.h"
#include "ZString.h"

#include <cstddef>
#include <functional>

// No record line is longer; longer lines are refused without being read whole.
constexpr int csvMaxLineLength = 128;
// About 260 MB of records: more than a window is meant to hold.
constexpr int csvMaxRecords = 4000000;

struct CsvReadResult
{
    bool ok = true;
    // The first bad line, counted from 1; 0 when the fault is the file itself
    // (cannot be opened, a folder, changed while it was read).
    int line = 0;
    // For the user: "line 17: the Speed 45.678 has more than two decimals".
    ZString reason;
};

// Told after each piece of the file: how far the reading has come.
using CsvReadProgress = std::function<void(long long bytesRead, long long fileSize)>;

// Reads `fileName`. On success `records` holds the file's records in order
// (calendar bytes decoded, the bytes the file does not carry 0); on refusal
// `records` is left exactly as it was.
CsvReadResult readCsv(const ZString& fileName, RecordList& records, const CsvReadProgress& progress = {});

// The same for a file's text already in memory.
CsvReadResult parseCsv(const char* text, std::size_t size, RecordList& records);
