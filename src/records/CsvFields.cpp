#include "CsvFields.h"

#include "RecordText.h"

#include <cctype>
#include <cstdint>

namespace {

enum Column { SecondsColumn, DateColumn, TimeColumn, FirstValue };

// Where a value column goes in the record, and what the export divides it by,
// in hundredths: raw 123 with a step of 10 is written 12.30.
struct ValueColumn
{
    int offset;
    int size;          // bytes in the record
    int stepHundredths; // 0: written as a whole number
    const char* stepText;
};

// In the file's column order, which is the channel order.
const ValueColumn valueColumns[] = {
    {20, 2, 10, "0.1"},  // Throttle
    {24, 2, 10, "0.1"},  // MotorSpeed
    {16, 2, 1, "0.01"},  // Speed
    {8, 2, 1, "0.01"},   // Voltage
    {10, 2, 1, "0.01"},  // Current
    {12, 2, 10, "0.1"},  // Charge1
    {14, 2, 10, "0.1"},  // Charge2
    {23, 1, 0, "1"},     // Battery
    {22, 1, 50, "0.5"},  // Temperature
};
static_assert(sizeof valueColumns / sizeof valueColumns[0] == csvFieldCount - FirstValue, "one entry per value column");

constexpr int firstYear = 1900;  // the record keeps years since 1900 in one byte
constexpr int lastYear = 1900 + 255;
// More digits than any value of the file has: read no further, so nothing overflows.
constexpr int maxDigits = 9;

struct Span
{
    const char* begin;
    const char* end;
    int size() const { return int(end - begin); }
};

// The field as the reason shows it, cut short when long.
ZString quoted(Span field)
{
    constexpr int shown = 24;
    ZString text;
    if (field.size() <= shown)
        text.format("%.*s", field.size(), field.begin);
    else
        text.format("%.*s...", shown, field.begin);
    return text;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool readDigits(const char* p, int count, int& value)
{
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (!isDigit(p[i]))
            return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

void putU16(Data& record, int offset, unsigned value)
{
    record.bytes[offset] = static_cast<unsigned char>(value & 0xff);
    record.bytes[offset + 1] = static_cast<unsigned char>(value >> 8);
}

// Says what, if anything, makes the line no text of the export's.
bool checkCharacters(Span line, ZString& reason)
{
    for (const char* p = line.begin; p != line.end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c < 0x7f)
            continue;
        if (c == 0)
            reason = "binary data (a NUL byte), not a line of text";
        else if (c == '\t')
            reason = "a tab where cardata.csv has a single space";
        else if (c == '\r')
            reason = "a carriage return that does not end the line";
        else
            reason.format("the byte 0x%02X, which is no part of cardata.csv's text", unsigned(c));
        return false;
    }
    return true;
}

bool splitFields(Span line, Span (&fields)[csvFieldCount], ZString& reason)
{
    if (line.size() == 0) {
        reason = "empty; every line of cardata.csv holds one record";
        return false;
    }
    if (*line.begin == ' ') {
        reason = "begins with a space";
        return false;
    }
    if (line.end[-1] == ' ') {
        reason = "ends with a space";
        return false;
    }
    int count = 0;
    bool commas = false;
    const char* start = line.begin;
    for (const char* p = line.begin; p <= line.end; ++p) {
        if (p != line.end && *p != ' ') {
            commas = commas || *p == ',';
            continue;
        }
        if (p == start) {
            reason = "two spaces in a row";
            return false;
        }
        if (count < csvFieldCount)
            fields[count] = {start, p};
        ++count;
        start = p + 1;
    }
    if (count == csvFieldCount)
        return true;
    if (commas)
        reason = "fields separated by commas; cardata.csv separates them by single spaces";
    else
        reason.format("%d field%s; a record has %d", count, count == 1 ? "" : "s", csvFieldCount);
    return false;
}

bool readSeconds(Span field, ZString& reason)
{
    const char* p = field.begin + (*field.begin == '-' ? 1 : 0);
    int digits = 0;
    for (; p != field.end && isDigit(*p); ++p)
        ++digits;
    if (p != field.end || digits == 0)
        reason.format("the seconds \"%s\" are not a whole number", quoted(field).cStr());
    else if (digits > 10)
        reason.format("the seconds %s are out of range", quoted(field).cStr());
    else
        return true;
    return false;
}

bool readDate(Span field, Data& record, ZString& reason)
{
    int year = 0, month = 0, day = 0;
    const char* p = field.begin;
    if (field.size() != 10 || p[4] != '-' || p[7] != '-' || !readDigits(p, 4, year) || !readDigits(p + 5, 2, month) ||
        !readDigits(p + 8, 2, day)) {
        reason.format("the date \"%s\" is not written YYYY-MM-DD", quoted(field).cStr());
        return false;
    }
    if (year < firstYear || year > lastYear) {
        reason.format("the year %d lies outside %d to %d", year, firstYear, lastYear);
        return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) {
        reason.format("%s is not a date", quoted(field).cStr());
        return false;
    }
    record.bytes[5] = static_cast<unsigned char>(day);
    record.bytes[6] = static_cast<unsigned char>(month);
    record.bytes[7] = static_cast<unsigned char>(year - firstYear);
    return true;
}

bool readTime(Span field, Data& record, ZString& reason)
{
    int hour = 0, min = 0, sec = 0;
    const char* p = field.begin;
    if (field.size() != 8 || p[2] != ':' || p[5] != ':' || !readDigits(p, 2, hour) || !readDigits(p + 3, 2, min) ||
        !readDigits(p + 6, 2, sec)) {
        reason.format("the time \"%s\" is not written hh:mm:ss", quoted(field).cStr());
        return false;
    }
    if (hour > 23 || min > 59 || sec > 59) {
        reason.format("%s is not a time of day", quoted(field).cStr());
        return false;
    }
    record.bytes[2] = static_cast<unsigned char>(sec);
    record.bytes[3] = static_cast<unsigned char>(min);
    record.bytes[4] = static_cast<unsigned char>(hour);
    return true;
}

// The value in hundredths ("12.30" is 1230; a whole-number column counts ones).
bool readNumber(Span field, const char* name, bool wholeNumber, std::int64_t& value, ZString& reason)
{
    const char* p = field.begin;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    std::int64_t whole = 0;
    int wholeDigits = 0;
    for (; p != field.end && isDigit(*p); ++p)
        if (++wholeDigits <= maxDigits)
            whole = whole * 10 + (*p - '0');
    const char separator = p != field.end ? *p : '\0';
    if (separator == '.' || separator == ',')
        ++p;
    int decimals = 0;
    std::int64_t fraction = 0;
    for (; p != field.end && isDigit(*p); ++p)
        if (++decimals <= 2)
            fraction = fraction * 10 + (*p - '0');

    if (p != field.end || wholeDigits == 0 || (separator != '\0' && separator != '.' && separator != ',')) {
        reason.format("the %s \"%s\" is not a number", name, quoted(field).cStr());
        return false;
    }
    if (negative) {
        reason.format("the %s %s is negative", name, quoted(field).cStr());
        return false;
    }
    if (separator == ',') {
        reason.format("the %s %s has a decimal comma; cardata.csv writes a decimal point", name, quoted(field).cStr());
        return false;
    }
    if (wholeNumber) {
        if (separator != '\0') {
            reason.format("the %s %s is not a whole number", name, quoted(field).cStr());
            return false;
        }
        value = wholeDigits > maxDigits ? INT64_MAX : whole;
        return true;
    }
    if (separator == '\0' || decimals < 2) {
        reason.format("the %s %s has %s; cardata.csv writes two", name, quoted(field).cStr(),
                      decimals == 0 ? "no decimals" : "one decimal");
        return false;
    }
    if (decimals > 2) {
        reason.format("the %s %s has more than two decimals", name, quoted(field).cStr());
        return false;
    }
    value = wholeDigits > maxDigits ? INT64_MAX : whole * 100 + fraction;
    return true;
}

bool readValue(Span field, int column, Data& record, ZString& reason)
{
    const ValueColumn& to = valueColumns[column - FirstValue];
    const char* name = csvFieldName(column);
    const bool wholeNumber = to.stepHundredths == 0;
    std::int64_t value = 0;
    if (!readNumber(field, name, wholeNumber, value, reason))
        return false;

    const std::int64_t step = wholeNumber ? 1 : to.stepHundredths;
    const std::int64_t maxRaw = to.size == 1 ? 0xff : 0xffff;
    if (value != INT64_MAX && value % step != 0) {
        reason.format("the %s %s is not in steps of %s", name, quoted(field).cStr(), to.stepText);
        return false;
    }
    if (value == INT64_MAX || value / step > maxRaw) {
        const std::int64_t most = maxRaw * step;
        if (wholeNumber)
            reason.format("the %s %s is above %d", name, quoted(field).cStr(), int(most));
        else
            reason.format("the %s %s is above %d.%02d, the most the Car Computer records", name,
                          quoted(field).cStr(), int(most / 100), int(most % 100));
        return false;
    }
    const unsigned raw = unsigned(value / step);
    if (to.size == 1)
        record.bytes[to.offset] = static_cast<unsigned char>(raw);
    else
        putU16(record, to.offset, raw);
    return true;
}

} // namespace

const char* csvFieldName(int field)
{
    static const char* const names[FirstValue] = {"seconds", "date", "time"};
    return field < FirstValue ? names[field] : channelNames[field - FirstValue];
}

bool readCsvFields(const char* begin, const char* end, bool firstLine, Data& record, ZString& reason)
{
    const Span line{begin, end};
    if (!checkCharacters(line, reason))
        return false;
    if (firstLine && line.size() > 0 && std::isalpha(static_cast<unsigned char>(*begin))) {
        reason.format("a header line (\"%s\"); cardata.csv has none, every line is a record", quoted(line).cStr());
        return false;
    }
    Span fields[csvFieldCount];
    if (!splitFields(line, fields, reason))
        return false;

    record = Data();
    if (!readSeconds(fields[SecondsColumn], reason) || !readDate(fields[DateColumn], record, reason) ||
        !readTime(fields[TimeColumn], record, reason))
        return false;
    for (int column = FirstValue; column < csvFieldCount; ++column)
        if (!readValue(fields[column], column, record, reason))
            return false;
    return true;
}
