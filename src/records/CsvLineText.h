#pragma once
// cardata.csv's line for a record, the very bytes csvLine writes, made
// without printf: the file reader builds it for every line it checks, and
// printf's way with "%.2f" costs several times the rest of the reading.

#include "CarRecords.h"

// Room for the longest line, 99 characters, and calendar bytes out of their
// ranges, which take three digits.
constexpr int csvLineTextSize = 112;

// Writes the line, new line included, to `out` and returns its length.
int csvLineText(const Data& record, long secondsSinceFirst, char (&out)[csvLineTextSize]);
