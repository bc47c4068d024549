#include "CsvExport.h"

#include "RecordText.h"
#include "ZFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

ZError writeFailure(const ZString& fileName, int error)
{
    return ZError(csvCannotWrite, ZString("Cannot write file: ") + fileName + ": " + std::strerror(error));
}

} // namespace

time_t exportSeconds(const Data& record)
{
    const struct tm standardTime = {};
    return record.seconds(standardTime);
}

time_t ExportClock::seconds(const Data& record)
{
    const unsigned char* calendar = record.bytes + 2;
    if (!known || std::memcmp(hour + 2, calendar + 2, 4) != 0) {
        const struct tm standardTime = {};
        std::memcpy(hour, calendar, sizeof hour);
        hour[0] = hour[1] = 0;
        hourStart = calendarSeconds(hour, standardTime);
        unsigned char last[sizeof hour];
        std::memcpy(last, hour, sizeof last);
        last[0] = last[1] = 59;
        steady = calendarSeconds(last, standardTime) - hourStart == 3599;
        known = true;
    }
    return steady ? hourStart + 60 * record.min() + record.sec() : exportSeconds(record);
}

ZError writeCsv(const RecordList& records, const ZString& fileName)
{
    ZString tempName;
    tempName.format("%s.%ld.tmp", fileName.cStr(), long(getpid()));

    ZFile file;
    ZError err;
    if ((err = file.open(tempName, "w")))
        return ZError(csvCannotOpen, err.getString());

    int error = 0;
    time_t origin = 0;
    for (const Data& record : records) {
        if (error != 0)
            break;
        const time_t seconds = exportSeconds(record);
        if (origin == 0)
            origin = seconds;
        if (file.writeString(csvLine(record, long(seconds - origin))) < 0)
            error = errno ? errno : EIO;
    }
    if (error == 0 && std::fflush(file.getFile()) != 0)
        error = errno ? errno : EIO;
    if (error == 0 && fsync(fileno(file.getFile())) != 0 && errno != EINVAL)
        error = errno;
    ZError closed = file.close();
    if (error == 0 && closed)
        error = errno ? errno : EIO;

    if (error == 0 && std::rename(tempName.cStr(), fileName.cStr()) != 0)
        error = errno;
    if (error != 0) {
        std::remove(tempName.cStr());
        return writeFailure(fileName, error);
    }
    return ZError();
}
