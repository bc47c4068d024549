#include "CsvParser.h"

#include "CsvFields.h"
#include "CsvLine.h"

#include <cstring>

namespace {

struct Field
{
    const char* begin;
    const char* end;
};

// The n-th space-separated field of a line that has at least n + 1.
Field fieldAt(const char* begin, const char* end, int n)
{
    const char* start = begin;
    for (const char* p = begin;; ++p) {
        if (p != end && *p != ' ')
            continue;
        if (n-- == 0 || p == end)
            return {start, p};
        start = p + 1;
    }
}

// The line read, without its line end, against the export's, with its new line.
bool sameLine(const char* begin, const char* end, const char* expected, int expectedLength)
{
    const std::size_t length = std::size_t(end - begin);
    return std::size_t(expectedLength) == length + 1 && std::memcmp(expected, begin, length) == 0;
}

ZString text(Field field)
{
    ZString s;
    s.format("%.*s", int(field.end - field.begin), field.begin);
    return s;
}

} // namespace

bool CsvParser::feed(const char* data, std::size_t size)
{
    const char* at = data;
    const char* const end = data + size;
    while (outcome.ok && at != end) {
        const char* newline = static_cast<const char*>(std::memchr(at, '\n', std::size_t(end - at)));
        const char* stop = newline ? newline : end;
        if (carry.empty() && newline) {
            if (stop - at > csvMaxLineLength)
                return refuseLongLine();
            takeLine(at, stop, true);
        } else {
            // A line that runs on into the next piece is gathered only as far
            // as a record can reach, so a huge line is refused, not stored.
            if (carry.size() + std::size_t(stop - at) > std::size_t(csvMaxLineLength))
                return refuseLongLine();
            carry.append(at, stop);
            if (newline) {
                takeLine(carry.data(), carry.data() + carry.size(), true);
                carry.clear();
            }
        }
        at = newline ? newline + 1 : end;
    }
    return outcome.ok;
}

bool CsvParser::finish()
{
    if (outcome.ok && !carry.empty()) {
        takeLine(carry.data(), carry.data() + carry.size(), false);
        carry.clear();
    }
    return outcome.ok;
}

bool CsvParser::takeLine(const char* begin, const char* end, bool lineFeed)
{
    ++lines;
    if (lines > maxRecords) {
        ZString reason;
        reason.format("more records than TralixGui holds at once (%d)", maxRecords);
        return refuse(lines, reason);
    }
    // CRLF from the older PC program; a carriage return alone ends no line.
    if (lineFeed && end != begin && end[-1] == '\r')
        --end;

    Data record;
    ZString reason;
    if (!readCsvFields(begin, end, lines == 1, record, reason))
        return refuse(lines, reason);

    // The export's own rule for the first column: seconds from the first
    // record whose time is not 0.
    const time_t seconds = clock.seconds(record);
    if (origin == 0)
        origin = seconds;
    char expected[csvLineTextSize];
    int expectedLength = csvLineText(record, long(seconds - origin), expected);
    if (!sameLine(begin, end, expected, expectedLength)) {
        // A file saved before the export kept its clock an hour at a time
        // counted every line with mktime: ask it too before refusing.
        const time_t exact = exportSeconds(record);
        if (exact != seconds)
            expectedLength = csvLineText(record, long(exact - origin), expected);
        if (!sameLine(begin, end, expected, expectedLength))
            return refuse(lines, mismatch(begin, end, record, expected, expected + expectedLength - 1));
    }

    parsed.push_back(record);
    return true;
}

ZString CsvParser::mismatch(const char* begin, const char* end, const Data& record, const char* written,
                            const char* writtenEnd) const
{
    ZString reason;
    for (int n = 0; n < csvFieldCount; ++n) {
        const Field read = fieldAt(begin, end, n);
        const Field wanted = fieldAt(written, writtenEnd, n);
        if (read.end - read.begin == wanted.end - wanted.begin &&
            std::memcmp(read.begin, wanted.begin, std::size_t(read.end - read.begin)) == 0)
            continue;
        if (n == 0)
            reason.format("the seconds %s do not fit the time: %.4d-%.2d-%.2d %.2d:%.2d:%.2d is %s seconds from "
                          "the first record",
                          text(read).cStr(), 1900 + record.year(), record.month(), record.day(), record.hour(),
                          record.min(), record.sec(), text(wanted).cStr());
        else
            reason.format("the %s %s should be written %s", csvFieldName(n), text(read).cStr(),
                          text(wanted).cStr());
        return reason;
    }
    return ZString("differs from what Save would write");
}

bool CsvParser::refuse(int line, const ZString& reason)
{
    outcome.ok = false;
    outcome.line = line;
    outcome.reason.format("line %d: %s", line, reason.cStr());
    return false;
}

bool CsvParser::refuseLongLine()
{
    ZString reason;
    reason.format("longer than any record (over %d characters)", csvMaxLineLength);
    return refuse(lines + 1, reason);
}
