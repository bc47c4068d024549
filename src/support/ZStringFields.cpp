// ZString read as fields, tokens and words, and matched against patterns.
#include "ZString.h"

#include <cstring>

namespace {

bool isSeparator(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ',';
}

// Past one field: up to the next separator that no quote or parenthesis
// protects. An unclosed group runs to the end of the text.
const char* skipField(const char* p)
{
    while (*p && !isSeparator(*p)) {
        const char close = *p == '"' ? '"' : *p == '(' ? ')' : '\0';
        ++p;
        if (close) {
            while (*p && *p != close)
                ++p;
            if (*p)
                ++p;
        }
    }
    return p;
}

// strchr would also find the terminating NUL.
bool isOneOf(char c, const char* chars)
{
    return c != '\0' && std::strchr(chars, c) != nullptr;
}

int leadingRun(const char* text, const char* chars)
{
    int n = 0;
    while (isOneOf(text[n], chars))
        ++n;
    return n;
}

int runWithout(const char* text, const char* chars)
{
    int n = 0;
    while (text[n] && !isOneOf(text[n], chars))
        ++n;
    return n;
}

} // namespace

int ZString::isFieldSeparator(char c) const
{
    return isSeparator(c) ? 1 : 0;
}

ZString ZString::fieldAt(int n) const
{
    if (length() == 0)
        return ZString();
    const char* text = cStr();
    const char* p = text;
    for (int i = 0; i < n && *p; ++i) {
        p = skipField(p);
        while (*p && isSeparator(*p))
            ++p;
    }
    const char* begin = p;
    const char* end = skipField(p);
    // Enclosing quotes are not part of the field; a quote left open keeps
    // every character behind it.
    if (end - begin >= 2 && *begin == '"' && end[-1] == '"') {
        ++begin;
        --end;
    } else if (end > begin && *begin == '"') {
        ++begin;
    }
    return substring(int(begin - text), int(end - begin));
}

char** ZString::fieldArray() const
{
    char** fields = new char*[maxFields + 1];
    int count = 0;
    for (; count < maxFields; ++count) {
        const ZString field = fieldAt(count);
        if (field.length() == 0)
            break;
        fields[count] = new char[field.length() + 1];
        std::memcpy(fields[count], field.cStr(), field.length() + 1);
    }
    fields[count] = nullptr;
    return fields;
}

ZString ZString::takeToken(const ZString& separators)
{
    if (!d)
        return ZString();
    const char* text = cStr();
    const char* seps = separators.cStr();
    const int start = leadingRun(text, seps);
    const int len = runWithout(text + start, seps);
    const int rest = start + len + leadingRun(text + start + len, seps);
    const ZString token = substring(start, len);
    *this = substring(rest, -1);
    return token;
}

ZString ZString::takeLeading(const ZString& chars)
{
    if (!d)
        return ZString();
    const int len = leadingRun(cStr(), chars.cStr());
    const ZString run = substring(0, len);
    *this = substring(len, -1);
    return run;
}

ZString ZString::trimmed(const ZString& chars) const
{
    const int len = length();
    if (len == 0)
        return ZString();
    const char* text = cStr();
    const int first = leadingRun(text, chars.cStr());
    if (first == len)
        return ZString();
    int last = len - 1;
    while (last > 0 && isOneOf(text[last], chars.cStr()))
        --last;
    return substring(first, last - first + 1);
}

ZList<ZString> ZString::split(const ZString& separators) const
{
    ZList<ZString> tokens;
    ZString rest = *this;
    for (;;) {
        const ZString token = rest.takeToken(separators);
        if (token.length() == 0)
            break;
        tokens.append(token.trimmed(separators));
    }
    return tokens;
}

ZString ZString::takeWord()
{
    return takeToken(" \t\n");
}

ZString ZString::takeLine()
{
    return takeToken("\n");
}

int ZString::matches(const ZString& pattern) const
{
    return wildcardMatch(cStr(), pattern.cStr());
}

int ZString::matchesList(const ZString& patterns) const
{
    for (int i = 0;; ++i) {
        const ZString pattern = patterns.fieldAt(i);
        if (pattern.length() == 0)
            return 0;
        if (pattern[0] == '!') {
            if (matches(pattern.substring(1, -1)))
                return 0;
        } else if (matches(pattern)) {
            return 1;
        }
    }
}
