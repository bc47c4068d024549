#include "CarRecords.h"

namespace {

// Calendar bytes in wire order.
enum CalendarByte { Sec, Min, Hour, Day, Month, Year };

} // namespace

int bcdToBin(unsigned char bcd)
{
    return (bcd & 0x0F) + 10 * (bcd >> 4);
}

unsigned char binToBcd(unsigned int value)
{
    return static_cast<unsigned char>((value / 10) << 4 | value % 10);
}

time_t decodeCalendar(unsigned char* calendar, const struct tm& base)
{
    calendar[Year] = static_cast<unsigned char>(bcdToBin(calendar[Year]) + 100);
    for (int i = Sec; i <= Month; ++i)
        calendar[i] = static_cast<unsigned char>(bcdToBin(calendar[i]));
    return calendarSeconds(calendar, base);
}

time_t calendarSeconds(const unsigned char* calendar, const struct tm& base)
{
    struct tm t = base;
    t.tm_sec = calendar[Sec];
    t.tm_min = calendar[Min];
    t.tm_hour = calendar[Hour];
    t.tm_mday = calendar[Day];
    t.tm_mon = calendar[Month] - 1;
    t.tm_year = calendar[Year];
    return mktime(&t);
}
