#pragma once
// The export of received records to a text file, one line per record.

#include "CarRecords.h"
#include "ZError.h"
#include "RecordList.h"
#include "ZString.h"

#include <ctime>

// The file's name in the working directory.
constexpr const char* csvFileName = "cardata.csv";

// Numbers of the two ways an export can fail.
constexpr int csvCannotOpen = 1;
constexpr int csvCannotWrite = 2;

// The first column's clock: the record's calendar time read as standard time,
// whatever the season (the calendar base is all zero).
time_t exportSeconds(const Data& record);

// exportSeconds for records in a row, as fast as reading them: mktime once an
// hour, the seconds counted on within it; an hour whose seconds the time zone
// does not count evenly asks mktime for every record.
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

// Writes every record to `fileName`, the first column counting seconds from
// the first record. The lines go to a temporary file beside it, which replaces
// the old file only once every line was written and the file closed: a full
// disk never leaves a cut-short file behind, nor destroys the previous one.
ZError writeCsv(const RecordList& records, const ZString& fileName);
