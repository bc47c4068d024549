#pragma once
// cardata.csv's first column counts seconds on one clock: the record's
// calendar read as standard time, whatever the season (an all-zero calendar
// base). The writer and the reader both ask it, so they count alike.

#include "CarRecords.h"

#include <ctime>

// mktime of the record's calendar as standard time.
time_t exportSeconds(const Data& record);

// exportSeconds for records in a row, as fast as reading them: mktime once an
// hour, the seconds counted on within it; an hour whose seconds the time zone
// does not count evenly, or a minute or second out of its range, asks mktime
// for the record.
class ExportClock
{
public:
    time_t seconds(const Data& record);

private:
    unsigned char hour[6] = {};  // calendar bytes, minutes and seconds 0
    time_t hourStart = 0;
    bool steady = false;
    bool known = false;
};
