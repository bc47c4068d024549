#include "ZString.h"

#include "ZStringData.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <string>

namespace {

const char emptyText[] = "";

// A private record holding the first len characters of text; null for none.
ZStringData* newRecord(const char* text, int len)
{
    if (!text || len <= 0)
        return nullptr;
    ZStringData* d = new ZStringData(len + 1);
    std::memcpy(d->data, text, len);
    d->data[len] = '\0';
    return d;
}

// Formats into a record of its own, sized by a first dry run, so no text is
// too long. False on a formatting error; an empty text gives a null record.
bool formatRecord(ZStringData*& record, const char* fmt, va_list args)
{
    record = nullptr;
    va_list sizing;
    va_copy(sizing, args);
    const int len = std::vsnprintf(nullptr, 0, fmt, sizing);
    va_end(sizing);
    if (len < 0)
        return false;
    if (len == 0)
        return true;
    ZStringData* d = new ZStringData(len + 1);
    if (std::vsnprintf(d->data, len + 1, fmt, args) != len) {
        delete d;
        return false;
    }
    record = d;
    return true;
}

ZStringData* formatRecord(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
ZStringData* formatRecord(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    ZStringData* d = nullptr;
    formatRecord(d, fmt, args);
    va_end(args);
    return d;
}

[[noreturn]] void outOfRange()
{
    std::fputs("ZString: array operator out of range\n", stderr);
    std::exit(1);
}

} // namespace

ZString::ZString() : d(nullptr) {}

ZString::ZString(const ZString& s) : d(s.d)
{
    if (d)
        d->addRef();
}

ZString::ZString(const char* s) : d(s ? newRecord(s, int(std::strlen(s))) : nullptr) {}

ZString::ZString(char c) : d(new ZStringData(2))
{
    d->data[0] = c;
    d->data[1] = '\0';
}

ZString::ZString(int v) : d(formatRecord("%d", v)) {}
ZString::ZString(unsigned int v) : d(formatRecord("%u", v)) {}
ZString::ZString(long v) : d(formatRecord("%ld", v)) {}
ZString::ZString(long long v) : d(formatRecord("%lld", v)) {}
ZString::ZString(double v) : d(formatRecord("%f", v)) {}

ZString::~ZString()
{
    release();
}

ZString ZString::fromNumber(char c)
{
    ZString s;
    s.d = formatRecord("%c", c);
    // "%c" of '\0' writes one NUL character: that is no text.
    if (s.d && s.d->data[0] == '\0')
        s.release();
    return s;
}

ZString ZString::fromNumber(int v) { return ZString(v); }
ZString ZString::fromNumber(unsigned int v) { return ZString(v); }
ZString ZString::fromNumber(long v) { return ZString(v); }
ZString ZString::fromNumber(double v) { return ZString(v); }
ZString ZString::fromNumber(long long v) { return ZString(v); }

ZString ZString::fromNumberHex(int v)
{
    ZString s;
    s.d = formatRecord("0x%x", static_cast<unsigned int>(v));
    return s;
}

ZString ZString::deepCopy() const
{
    return ZString(cStr());
}

void ZString::release()
{
    if (d && d->release() == 0)
        delete d;
    d = nullptr;
}

void ZString::unshare()
{
    if (d)
        d = d->unshare();
}

ZString& ZString::operator=(const ZString& s)
{
    if (this == &s)
        return *this;
    // Take the new record before letting go of the old one: they may be the same.
    ZStringData* incoming = s.d;
    if (incoming)
        incoming->addRef();
    release();
    d = incoming;
    changed();
    return *this;
}

void ZString::changed() {}

const char* ZString::cStr() const
{
    return d && d->data ? d->data : emptyText;
}

int ZString::length() const
{
    return d && d->used > 0 ? d->used - 1 : 0;
}

char& ZString::operator[](int i)
{
    if (!d)
        outOfRange();
    unshare();
    return d->data[i];
}

char ZString::operator[](int i) const
{
    if (!d)
        outOfRange();
    return d->data[i];
}

int ZString::compare(const ZString& s) const
{
    return std::strcmp(cStr(), s.cStr());
}

int ZString::operator!=(const char* s) const
{
    return compare(ZString(s)) != 0;
}

int ZString::operator==(const char* s) const
{
    return compare(ZString(s)) == 0;
}

ZString ZString::operator+(const ZString& s) const
{
    ZString sum;
    if (!d && !s.d)
        return sum;
    const int own = length();
    const int other = s.length();
    sum.d = new ZStringData(own + other + 1);
    std::memcpy(sum.d->data, cStr(), own);
    std::memcpy(sum.d->data + own, s.cStr(), other);
    sum.d->data[own + other] = '\0';
    return sum;
}

ZString ZString::operator+(const char* s) const
{
    return *this + ZString(s);
}

char* ZString::dupCStr() const
{
    return strdup(cStr());
}

int ZString::toInt() const
{
    return d ? int(std::strtol(cStr(), nullptr, 0)) : 0;
}

double ZString::toDouble() const
{
    return d ? std::strtod(cStr(), nullptr) : 0.0;
}

int ZString::isValidPos(int pos) const
{
    return pos >= 0 && pos <= length();
}

int ZString::indexOf(char c) const
{
    if (!d)
        return -1;
    const char* hit = std::strchr(cStr(), c);
    return hit ? int(hit - cStr()) : -1;
}

int ZString::lastIndexOf(char c) const
{
    if (!d)
        return -1;
    const char* hit = std::strrchr(cStr(), c);
    return hit ? int(hit - cStr()) : -1;
}

ZString ZString::substring(int pos, int len) const
{
    ZString part;
    if (length() == 0 || !isValidPos(pos))
        return part;
    int available = length() - pos;
    if (len >= 0 && len < available)
        available = len;
    part.d = newRecord(cStr() + pos, available);
    return part;
}

ZString& ZString::truncate(int len)
{
    if (!d)
        return *this;
    unshare();
    if (len < 0)
        len = 0;
    if (length() > len) {
        d->setUsed(len + 1);
        d->data[len] = '\0';
    }
    changed();
    return *this;
}

ZString& ZString::padTo(int width)
{
    if (!d)
        return *this;
    unshare();
    // One blank at a time, each a change of its own, but appended in place so
    // that wide padding does not copy the text once per blank.
    while (d && length() < width) {
        const int len = length();
        d->setUsed(len + 2);
        d->data[len] = ' ';
        d->data[len + 1] = '\0';
        changed();
    }
    changed();
    return *this;
}

ZString& ZString::toUpper()
{
    unshare();
    for (int i = 0; i < length(); ++i)
        d->data[i] = char(std::toupper(static_cast<unsigned char>(d->data[i])));
    return *this;
}

ZString& ZString::toLower()
{
    unshare();
    for (int i = 0; i < length(); ++i)
        d->data[i] = char(std::tolower(static_cast<unsigned char>(d->data[i])));
    return *this;
}

void ZString::chopNewline()
{
    unshare();
    const int len = length();
    if (len > 0 && d->data[len - 1] == '\n')
        truncate(len - 1);
}

int ZString::erase(int pos, int len)
{
    if (!d || !isValidPos(pos) || length() == 0)
        return 0;
    unshare();
    if (len < 0)
        len = 0;
    if (len > length() - pos)
        len = length() - pos;
    // The tail moves down together with its NUL.
    std::memmove(d->data + pos, d->data + pos + len, d->used - pos - len);
    d->setUsed(d->used - len);
    changed();
    return 1;
}

int ZString::insertAt(int pos, const ZString& s)
{
    if (!isValidPos(pos))
        return 0;
    ZString head = pos > 0 ? substring(0, pos) : ZString();
    *this = head + s + substring(pos, -1);
    changed();
    return 1;
}

void ZString::format(const char* fmt, ...)
{
    // Formatted apart first, so arguments may point into this string's own text.
    va_list args;
    va_start(args, fmt);
    ZStringData* formatted = nullptr;
    const bool ok = formatRecord(formatted, fmt, args);
    va_end(args);

    release();
    if (!ok)
        return;
    ZString result;
    result.d = formatted;
    *this = result;
}

std::ostream& operator<<(std::ostream& out, const ZString& s)
{
    return out << s.cStr();
}

std::istream& operator>>(std::istream& in, ZString& s)
{
    std::string word;
    in >> word;
    s = ZString(word.c_str());
    return in;
}
