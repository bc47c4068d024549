#include "CsvExport.h"

#include "WholeFile.h"

#include <cstdio>

ZError writeCsv(const RecordList& records, const ZString& fileName)
{
    const ZError failure = writeWholeFile(fileName, [&records](std::FILE* file) {
        ExportClock clock;
        time_t origin = 0;
        char line[csvLineTextSize];
        for (const Data& record : records) {
            const time_t seconds = clock.seconds(record);
            if (origin == 0)
                origin = seconds;
            const std::size_t length = std::size_t(csvLineText(record, long(seconds - origin), line));
            if (std::fwrite(line, 1, length, file) != length)
                return false;
        }
        return true;
    });
    if (failure.getNumber() == wholeFileNotOpened)
        return ZError(csvCannotOpen,
                      ZString("Cannot open file: ") + temporaryFileFor(fileName) + ": " + failure.getString());
    if (failure)
        return ZError(csvCannotWrite, ZString("Cannot write file: ") + fileName + ": " + failure.getString());
    return ZError();
}
