#include "CsvFields.h"

#include "Channels.h"
#include "CsvLine.h"

#include <cctype>
#include <cstdint>
#include <utility>

namespace {

enum Column { SecondsColumn, DateColumn, TimeColumn, FirstValue };

// The value columns are the channels but Time, in channel order.
static_assert(csvFieldCount - FirstValue == Time, "one value column per measured channel");

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

// A count of decimals as the reasons write it: "no", "one", "two".
const char* countWord(int count)
{
    static const char* const words[] = {"no", "one", "two", "three"};
    return words[count];
}

// units / 10^decimals with its decimals: 65535 hundredths are "655.35".
ZString unitsText(std::int64_t units, int decimals)
{
    const std::int64_t one = powerOfTen(decimals);
    ZString text;
    if (decimals == 0)
        text.format("%lld", static_cast<long long>(units));
    else
        text.format("%lld.%0*lld", static_cast<long long>(units / one), decimals, static_cast<long long>(units % one));
    return text;
}

// A channel's step as the user writes it: "0.5", not "0.50".
ZString stepText(const ChannelInfo& channel)
{
    ZString text = unitsText(csvStep(channel), channel.csvDecimals);
    int length = text.length();
    if (channel.csvDecimals > 0) {
        while (text[length - 1] == '0')
            --length;
        if (text[length - 1] == '.')
            --length;
    }
    return text.truncate(length);
}

// The value in units of its last decimal ("12.30" is 1230 with two decimals).
bool readNumber(Span field, const char* name, int wantedDecimals, std::int64_t& value, ZString& reason)
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
        if (++decimals <= wantedDecimals)
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
    if (wantedDecimals == 0) {
        if (separator != '\0') {
            reason.format("the %s %s is not a whole number", name, quoted(field).cStr());
            return false;
        }
        value = wholeDigits > maxDigits ? INT64_MAX : whole;
        return true;
    }
    if (decimals < wantedDecimals) {
        reason.format("the %s %s has %s decimal%s; cardata.csv writes %s", name, quoted(field).cStr(),
                      countWord(decimals), decimals == 1 ? "" : "s", countWord(wantedDecimals));
        return false;
    }
    if (decimals > wantedDecimals) {
        reason.format("the %s %s has more than %s decimals", name, quoted(field).cStr(), countWord(wantedDecimals));
        return false;
    }
    value = wholeDigits > maxDigits ? INT64_MAX : whole * powerOfTen(wantedDecimals) + fraction;
    return true;
}

// One channel's column, as a template so that the step it divides by is a
// constant: a 64-bit division by a variable costs much of a million-line read.
template <int channel>
bool readValue(Span field, Data& record, ZString& reason)
{
    constexpr ChannelInfo info = channels[channel];
    constexpr std::int64_t step = csvStep(info);
    constexpr std::int64_t maxRaw = (std::int64_t(1) << (8 * info.size)) - 1;
    std::int64_t value = 0;
    if (!readNumber(field, info.name, info.csvDecimals, value, reason))
        return false;

    if (value != INT64_MAX && value % step != 0) {
        reason.format("the %s %s is not in steps of %s", info.name, quoted(field).cStr(), stepText(info).cStr());
        return false;
    }
    if (value == INT64_MAX || value / step > maxRaw) {
        const ZString most = unitsText(maxRaw * step, info.csvDecimals);
        if (info.csvDecimals == 0)
            reason.format("the %s %s is above %s", info.name, quoted(field).cStr(), most.cStr());
        else
            reason.format("the %s %s is above %s, the most the Car Computer records", info.name,
                          quoted(field).cStr(), most.cStr());
        return false;
    }
    const unsigned raw = unsigned(value / step);
    for (int byte = 0; byte < info.size; ++byte)
        record.bytes[info.offset + byte] = static_cast<unsigned char>(raw >> (8 * byte));
    return true;
}

// The value columns in channel order, each stopping the line at its fault.
template <int... channel>
bool readValues(const Span* values, Data& record, ZString& reason, std::integer_sequence<int, channel...>)
{
    return (readValue<channel>(values[channel], record, reason) && ...);
}

} // namespace

const char* csvFieldName(int field)
{
    static const char* const names[FirstValue] = {"seconds", "date", "time"};
    return field < FirstValue ? names[field] : channels[field - FirstValue].name;
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
    return readValues(fields + FirstValue, record, reason, std::make_integer_sequence<int, Time>());
}
