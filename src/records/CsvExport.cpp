#include "CsvExport.h"

#include "WholeFile.h"

#include <cstdio>

ZError writeCsv(const RecordList& records, const ZString& fileName)
{
    return writeCsv(records, 0, qint64(records.size()), fileName);
}

ZError writeCsv(const RecordList& records, qint64 first, qint64 last, const ZString& fileName)
{
    const ZError failure = writeWholeFile(fileName, [&records, first, last](std::FILE* file) {
        ExportClock clock;
        time_t origin = 0;
        char line[csvLineTextSize];
        const auto end = records.begin() + last;
        for (auto at = records.begin() + first; at != end; ++at) {
            const Data& record = *at;
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
