#pragma once
// What a Data record becomes for the user: the ten live channel values, the
// log line, the cursor's read-out and the directory line. Numbers are always
// written with a decimal point, whatever the user's locale.

#include "CarRecords.h"
#include "Channels.h"
#include "ZString.h"

// The live values of a decoded record; `seconds` is the record's time since the
// run's first record.
void liveChannelValues(const Data& record, float seconds, float (&values)[channelCount]);

// "YYYY-MM-DD hh:mm:ss" and the live values of channels 0 to 8, ending in a new line.
ZString logLine(const Data& record, const float (&values)[channelCount]);

// The cursor's read-out of a record: its date and time, then each channel
// named with its live value, the log's decimals:
// "2008-12-31 23:59:30  Throttle 12.00  MotorSpeed 150.00 ... Time 0.00  Power 18.51",
// Power from the record's exact values.
ZString cursorText(const Data& record, const float (&values)[channelCount]);

// From a pinned record's values to the cursor's: the time between the two
// and each measured channel's change:
// "from the pinned: +0:00:10  Throttle +0.30 ... Temperature -0.50  Power +3.20".
ZString cursorDifference(const float (&pinnedValues)[channelCount], const float (&values)[channelCount]);

// The dialog's text for a decoded directory entry: "YYYY-MM-DD hh:mm:ss position".
ZString directoryLine(const Directory& entry);
