#include "ExportClock.h"

#include <cstring>

namespace {

const struct tm standardTime = {};

} // namespace

time_t exportSeconds(const Data& record)
{
    return record.seconds(standardTime);
}

time_t ExportClock::seconds(const Data& record)
{
    const unsigned char* calendar = record.bytes + 2;
    if (!known || std::memcmp(hour + 2, calendar + 2, 4) != 0) {
        // An hour whose ends lie 3599 s apart holds no change of the zone's
        // offset, so its seconds count on from its start.
        std::memcpy(hour, calendar, sizeof hour);
        hour[0] = hour[1] = 0;
        hourStart = calendarSeconds(hour, standardTime);
        unsigned char last[sizeof hour];
        std::memcpy(last, hour, sizeof last);
        last[0] = last[1] = 59;
        steady = calendarSeconds(last, standardTime) - hourStart == 3599;
        known = true;
    }
    // A minute or second past 59 (a garbled record) reaches into another hour.
    if (steady && record.min() < 60 && record.sec() < 60)
        return hourStart + 60 * record.min() + record.sec();
    return exportSeconds(record);
}
