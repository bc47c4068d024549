#pragma once
// The export of received records to a text file, one line per record.

#include "CarRecords.h"
#include "CsvLine.h"
#include "ExportClock.h"
#include "ZError.h"
#include "RecordList.h"
#include "ZString.h"

#include <QtGlobal>

// The file's name in the working directory.
constexpr const char* csvFileName = "cardata.csv";

// Numbers of the two ways an export can fail.
constexpr int csvCannotOpen = 1;
constexpr int csvCannotWrite = 2;

// Writes every record to `fileName` whole or not at all (writeWholeFile), the
// first column counting seconds from the first record on the ExportClock.
ZError writeCsv(const RecordList& records, const ZString& fileName);
// The same for records [first, last) of `records`, the seconds counted from `first`.
ZError writeCsv(const RecordList& records, qint64 first, qint64 last, const ZString& fileName);
