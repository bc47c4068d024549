#pragma once
// cardata.csv's line for a record, its one writer: the seconds from the first
// record, the date and time, then each channel but Time with the table's
// decimals, single spaces between. Made without printf: the file reader
// builds a line for every line it checks, and printf's way with "%.2f" costs
// several times the rest of the reading.

#include "CarRecords.h"
#include "Channels.h"
#include "ZString.h"

// Room for the longest line, 99 characters, and calendar bytes out of their
// ranges, which take three digits.
constexpr int csvLineTextSize = 112;

constexpr unsigned powerOfTen(int exponent)
{
    return exponent == 0 ? 1u : 10u * powerOfTen(exponent - 1);
}

// What one raw step of the channel's field is in units of its last decimal in
// the file: Throttle's raw 123 is 12.30, 1230 hundredths, so 10.
constexpr unsigned csvStep(const ChannelInfo& channel)
{
    return powerOfTen(channel.csvDecimals) / unsigned(channel.divisor);
}

// Each raw value must have an exact text of at most three decimals, which the
// reader's reasons can count in words.
constexpr bool csvWritesEveryChannelExactly()
{
    for (const ChannelInfo& channel : channels)
        if (channel.csvDecimals > 3 || powerOfTen(channel.csvDecimals) % unsigned(channel.divisor) != 0)
            return false;
    return true;
}
static_assert(csvWritesEveryChannelExactly(), "every raw value has a decimal text of the file's decimals");

// Writes the line, new line included, to `out` and returns its length. The
// first column is an int, as the file has always had it: a longer distance is cut.
int csvLineText(const Data& record, long secondsSinceFirst, char (&out)[csvLineTextSize]);

// The same line as a string.
ZString csvLine(const Data& record, long secondsSinceFirst);
