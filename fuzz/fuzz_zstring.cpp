// Fuzz target: ZString's fields, tokens and patterns, and wildcardMatch, on arbitrary bytes.
//
// An input is a text and a pattern, which also serves as the set of separators and
// of characters to trim: text and pattern are split at the first NUL; an input
// without a NUL gives the pattern's length in its first byte (modulo 65) and the
// pattern right behind it, the rest being the text.
//
// Besides running without a sanitizer report, the results must keep the promises
// of ZString.h; a broken promise aborts, so the fuzzer reports it as a crash.
#include "WildcardMatch.h"
#include "ZString.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Each run of '*' may try every rest of the text, and the runs nest: k runs over a
// text of n characters cost up to C(n + k, k) steps. That exponential cost is known,
// so inputs beyond a budget are not matched: the fuzzer is to find faults, not slow inputs.
constexpr std::size_t maxPattern = 64;
constexpr std::size_t maxText = 1024;
constexpr int maxMatchedText = 64;
constexpr double matchBudget = 1e6;

void check(bool promiseKept, const char* promise)
{
    if (!promiseKept) {
        std::fprintf(stderr, "fuzz_zstring: broken promise: %s\n", promise);
        std::abort();
    }
}

int starRuns(const ZString& pattern)
{
    int runs = 0;
    const char* p = pattern.cStr();
    for (int i = 0; p[i]; ++i)
        if (p[i] == '*' && (i == 0 || p[i - 1] != '*'))
            ++runs;
    return runs;
}

// C(n + k, k) within the budget.
bool affordable(int textLength, int runs)
{
    double steps = 1;
    for (int i = 1; i <= runs; ++i) {
        steps = steps * (textLength + i) / i;
        if (steps > matchBudget)
            return false;
    }
    return true;
}

bool inChars(char c, const ZString& chars)
{
    return c != '\0' && std::strchr(chars.cStr(), c) != nullptr;
}

bool hasNone(const ZString& s, const ZString& chars)
{
    for (int i = 0; i < s.length(); ++i)
        if (inChars(s[i], chars))
            return false;
    return true;
}

bool same(const ZString& a, const ZString& b)
{
    return a.length() == b.length() && std::memcmp(a.cStr(), b.cStr(), std::size_t(a.length())) == 0;
}

void fields(const ZString& text)
{
    for (int n : {-1, 0, 1, 2, 3, 7, ZString::maxFields - 1, ZString::maxFields, 1000})
        (void)text.fieldAt(n);

    char** array = text.fieldArray();
    check(array != nullptr, "fieldArray returns an array");
    int count = 0;
    for (; array[count]; ++count) {
        check(count < ZString::maxFields, "fieldArray holds at most maxFields fields");
        const ZString field = text.fieldAt(count);
        check(field.length() > 0, "fieldArray stops at the first empty field");
        check(std::strcmp(array[count], field.cStr()) == 0, "fieldArray copies fieldAt");
    }
    if (count < ZString::maxFields)
        check(text.fieldAt(count).length() == 0, "fieldArray ends only at an empty field");
    // The header's contract: the caller deletes each text and the array with delete[].
    for (int i = 0; i < count; ++i)
        delete[] array[i];
    delete[] array;
}

// Tokens of text with the given separators, each taken off the front.
void tokens(const ZString& text, const ZString& separators, bool plainText)
{
    ZString rest = text;
    for (int guard = 0; guard <= text.length() + 1; ++guard) {
        const int before = rest.length();
        const ZString token = rest.takeToken(separators);
        if (token.length() == 0)
            break;
        check(rest.length() + token.length() <= before, "takeToken removes at least the token");
        if (plainText)
            check(hasNone(token, separators), "a token holds no separator");
        check(guard < text.length(), "takeToken makes progress");
    }

    const ZList<ZString> parts = text.split(separators);
    ZListPos pos;
    for (parts.start(pos); !parts.isEnd(pos); parts.next(pos)) {
        check(parts.get(pos).length() > 0, "split gives no empty token");
        if (plainText)
            check(hasNone(parts.get(pos), separators), "a split token holds no separator");
    }

    const ZString trimmed = text.trimmed(separators);
    check(trimmed.length() <= text.length(), "trimmed is no longer than the text");
    if (plainText && trimmed.length() > 0) {
        check(!inChars(trimmed[0], separators), "trimmed does not start with a trimmed character");
        check(!inChars(trimmed[trimmed.length() - 1], separators), "trimmed does not end with a trimmed character");
    }

    ZString leading = text;
    const ZString run = leading.takeLeading(separators);
    check(run.length() + leading.length() == text.length(), "takeLeading splits the text in two");
    if (plainText)
        check(same(run + leading, text), "takeLeading keeps every character");

    ZString words = text;
    for (int guard = 0; guard <= text.length() + 1 && words.takeWord().length() > 0; ++guard)
        check(guard < text.length(), "takeWord makes progress");
    ZString lines = text;
    for (int guard = 0; guard <= text.length() + 1 && lines.takeLine().length() > 0; ++guard)
        check(guard < text.length(), "takeLine makes progress");
}

// Matching sees the text as a C string.
void patterns(const ZString& text, const ZString& pattern)
{
    const ZString matched = ZString(text.cStr()).substring(0, maxMatchedText);
    if (!affordable(matched.length(), starRuns(pattern)))
        return;
    const int free = wildcardMatch(matched.cStr(), pattern.cStr());
    check(free == 0 || free == 1, "wildcardMatch answers 0 or 1");
    check(matched.matches(pattern) == free, "matches is wildcardMatch");
    const int listed = matched.matchesList(pattern);
    check(listed == 0 || listed == 1, "matchesList answers 0 or 1");

    check(wildcardMatch(matched.cStr(), "*") == 1, "* matches every text");
    check(wildcardMatch(matched.cStr(), "") == (matched.length() == 0), "the empty pattern matches the empty text only");

    // The text itself, every character escaped, matches it; so do as many '?'.
    // A character with its low seven bits zero equals no pattern character.
    std::string escaped;
    std::string anyOf;
    bool comparable = true;
    for (int i = 0; i < matched.length(); ++i) {
        comparable = comparable && (matched[i] & 0x7f) != 0;
        escaped += '\\';
        escaped += matched[i];
        anyOf += '?';
    }
    if (comparable)
        check(wildcardMatch(matched.cStr(), escaped.c_str()) == 1, "an escaped text matches itself");
    check(wildcardMatch(matched.cStr(), anyOf.c_str()) == 1, "one ? per character matches");
    check(wildcardMatch(matched.cStr(), (anyOf + "?").c_str()) == 0, "one ? too many does not match");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(bytes, '\0', size);
    std::string text;
    std::string pattern;
    if (nul) {
        const std::size_t at = std::size_t(static_cast<const char*>(nul) - bytes);
        text.assign(bytes, at);
        pattern.assign(bytes + at + 1, size - at - 1);
    } else {
        const std::size_t length = std::min<std::size_t>(std::uint8_t(bytes[0]) % (maxPattern + 1), size - 1);
        pattern.assign(bytes + 1, length);
        text.assign(bytes + 1 + length, size - 1 - length);
    }
    // ZString takes C strings: a pattern ends at its first NUL.
    pattern = pattern.substr(0, std::min(pattern.find('\0'), maxPattern));
    text = text.substr(0, maxText);

    const ZString plain(text.c_str());
    const ZString chars(pattern.c_str());
    fields(plain);
    tokens(plain, chars, true);
    patterns(plain, chars);
    fields(chars);

    // A NUL inside the text: ZString(char) makes one, and its length counts past it
    // while the C string stops there.
    const int half = plain.length() / 2;
    const ZString withNul = plain.substring(0, half) + ZString('\0') + plain.substring(half, -1);
    check(withNul.length() == plain.length() + 1, "a NUL character counts in the length");
    fields(withNul);
    tokens(withNul, chars, false);
    return 0;
}
