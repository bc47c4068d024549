#include "WallClock.h"

namespace {

constexpr qint64 secondsPerDay = 86400;

qint64 floorDivide(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The proleptic Gregorian calendar counted in 400-year eras, which repeat
// exactly; the year taken to begin in March puts the leap day at its end.
qint64 daysFromCivil(qint64 year, int month, int day)
{
    year -= month <= 2;
    const qint64 era = floorDivide(year, 400);
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

qint64 wallDay(qint64 seconds)
{
    return floorDivide(seconds, secondsPerDay);
}

qint64 wallSeconds(const WallTime& t)
{
    return daysFromCivil(t.year, t.month, t.day) * secondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
}

WallTime wallTime(qint64 seconds)
{
    const qint64 days = wallDay(seconds) + 719468;
    const qint64 inDay = seconds - wallDay(seconds) * secondsPerDay;
    const qint64 era = floorDivide(days, 146097);
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const int year = int(yearOfEra + era * 400 + (month <= 2));
    return {year, month, day, int(inDay / 3600), int(inDay / 60 % 60), int(inDay % 60)};
}
