#pragma once
// The Car Computer's clock is a wall clock without a time zone: its records'
// times are counted here as seconds from 1970-01-01 00:00 on that calendar,
// so that a round hour or midnight is a multiple of 3600 or 86400, whatever
// the zone of the PC that reads them.

#include <QtGlobal>

struct WallTime
{
    int year, month, day;  // month 1-12
    int hour, minute, second;
};

qint64 wallSeconds(const WallTime& time);
WallTime wallTime(qint64 seconds);

// Days from 1970-01-01 to the day holding `seconds`.
qint64 wallDay(qint64 seconds);
