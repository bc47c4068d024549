#pragma once
// Takes cardata.csv's text piece by piece, as it is read, and turns each line
// into a record. A line is taken only when the export would write it exactly
// so again (its line end aside); the first line that is not stops the parse.

#include "CarRecords.h"
#include "CsvReadResult.h"
#include "ExportClock.h"
#include "RecordList.h"

#include <cstddef>
#include <ctime>
#include <string>

// No record line is longer; longer lines are refused without being read whole.
constexpr int csvMaxLineLength = 128;
// About 260 MB of records: more than a window is meant to hold.
constexpr int csvMaxRecords = 4000000;

class CsvParser
{
public:
    // A file of more than `maxRecords` lines is refused at the first one over.
    explicit CsvParser(int maxRecords = csvMaxRecords) : maxRecords(maxRecords) {}

    // False once a line has been refused; result() then says which and why.
    bool feed(const char* data, std::size_t size);
    // The end of the text: a last line without a line end is taken here.
    bool finish();

    const CsvReadResult& result() const { return outcome; }
    // The records taken so far, in file order.
    RecordList& records() { return parsed; }

private:
    bool takeLine(const char* begin, const char* end, bool lineFeed);
    bool refuse(int line, const ZString& reason);
    bool refuseLongLine();
    ZString mismatch(const char* begin, const char* end, const Data& record, const char* written,
                     const char* writtenEnd) const;

    int maxRecords;
    std::string carry;  // the start of a line that began in an earlier piece
    RecordList parsed;
    int lines = 0;
    time_t origin = 0;
    ExportClock clock;
    CsvReadResult outcome;
};
