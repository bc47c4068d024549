#pragma once
// Reading a file in cardata.csv's layout back into records. A file is taken
// only when writing its records again gives the very same text (line ends
// aside: Save writes LF where the file may have CRLF); anything else is
// refused whole, naming the first line at fault.

#include "CarRecords.h"
#include "CsvReadResult.h"
#include "RecordList.h"
#include "ZString.h"

#include <cstddef>
#include <functional>

// Told after each piece of the file: how far the reading has come. False
// stops the reading: the file is refused as cancelled.
using CsvReadProgress = std::function<bool(long long bytesRead, long long fileSize)>;

// Reads `fileName`. On success `records` holds the file's records in order
// (calendar bytes decoded, the bytes the file does not carry 0); on refusal
// `records` is left exactly as it was, and the memory the refused records
// took goes back to the system.
CsvReadResult readCsv(const ZString& fileName, RecordList& records, const CsvReadProgress& progress = {});

// The same for a file's text already in memory.
CsvReadResult parseCsv(const char* text, std::size_t size, RecordList& records);
