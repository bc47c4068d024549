#pragma once
// The fields of one cardata.csv line read into a record, or the reason, in
// the user's words, why the line is none of the export's.

#include "CarRecords.h"
#include "ZString.h"

constexpr int csvFieldCount = 12;

// The user's name of each column, for reasons: "seconds", "date", "time",
// then the channel names.
const char* csvFieldName(int field);

// Reads the line [begin, end), its line end already taken off. On success
// the record holds the calendar and the values, every other byte 0; the first
// column is checked for form only, as its value depends on the lines before.
// On failure `reason` says what is wrong ("the Speed 45.678 has more than two
// decimals"). `firstLine` lets a header line be called one.
bool readCsvFields(const char* begin, const char* end, bool firstLine, Data& record, ZString& reason);
