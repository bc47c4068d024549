#include "WildcardMatch.h"

namespace {

// Compared on the low seven bits. A text character whose low bits are all
// zero is not the end of the text, so it counts as 128 and equals no pattern
// character.
int textValue(char c)
{
    const int low = c & 0x7f;
    return low == 0 && c != '\0' ? 128 : low;
}

int patternValue(char c)
{
    return c & 0x7f;
}

// Matches one text character against the set that starts after '['. Sets
// `end` to the pattern after the closing ']', or null when the set is open.
bool inSet(const char* set, char textChar, const char*& end)
{
    const int value = textValue(textChar);
    const char* p = set;
    const bool negated = *p == '!';
    if (negated)
        ++p;
    if (*p == '-')
        ++p;
    bool found = false;
    while (*p && *p != ']') {
        const int lo = patternValue(*p);
        if (p[1] == '-' && p[2] && p[2] != ']') {
            if (value >= lo && value <= patternValue(p[2]))
                found = true;
            p += 3;
        } else {
            if (value == lo)
                found = true;
            ++p;
        }
    }
    if (!*p) {
        end = nullptr;
        return false;
    }
    end = p + 1;
    return found != negated;
}

} // namespace

int wildcardMatch(const char* text, const char* pattern)
{
    const char* t = text;
    const char* p = pattern;
    for (;;) {
        switch (*p) {
        case '\0':
            return *t == '\0';
        case '?':
            if (!*t)
                return 0;
            ++t;
            ++p;
            break;
        case '*':
            while (*p == '*')
                ++p;
            if (!*p)
                return 1;
            // Shortest first; the rest is never tried against the used-up text.
            for (; *t; ++t) {
                if (wildcardMatch(t, p))
                    return 1;
            }
            return 0;
        case '[': {
            if (!*t)
                return 0;
            const char* after = nullptr;
            if (!inSet(p + 1, *t, after))
                return 0;
            ++t;
            p = after;
            break;
        }
        case '!':
            return !wildcardMatch(t, p + 1);
        case '\\':
            // A lone backslash at the end stands for itself.
            if (p[1])
                ++p;
            [[fallthrough]];
        default:
            if (!*t || textValue(*t) != patternValue(*p))
                return 0;
            ++t;
            ++p;
            break;
        }
    }
}
