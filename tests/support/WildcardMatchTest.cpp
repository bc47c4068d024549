#include "WildcardMatch.h"
#include "ZString.h"

#include <gtest/gtest.h>

TEST(WildcardMatch, Table)
{
    const struct { const char* text; const char* pattern; int expected; } cases[] = {
        // plain characters, ? and *
        {"data.csv", "data.csv", 1}, {"data.csv", "data.cs", 0}, {"data.cs", "data.csv", 0},
        {"data.csv", "d?ta.*", 1},   {"", "*", 1},               {"", "?", 0},
        {"a", "", 0},                {"abc", "a**c", 1},         {"abc", "*b", 0},
        {"abcbd", "*b?", 1},         {"", "*a", 0},
        // sets and ranges
        {"b", "[a-c]", 1},  {"d", "[a-c]", 0},   {"d", "[!a-c]", 1}, {"b", "[!a-c]", 0},
        {"", "[!a-c]", 0},  {"-", "[-a]", 0},    {"-", "[a-]", 1},   {"b", "[a-c", 0},
        {"k", "[a-cj-l]", 1}, {"x1", "[a-z][0-9]", 1},               {"]", "[]]", 0},
        // escapes
        {"a*", "a\\*", 1},  {"ab", "a\\*", 0},   {"x", "\\?", 0},    {"a\\", "a\\", 1},
        // negation of the rest of the pattern
        {"abc", "!a*", 0},  {"xbc", "!a*", 1},   {"abc", "a!b*", 0}, {"axc", "a!b*", 1},
        {"", "!", 0},
        // low seven bits; a character with none of them set is no end of text
        {"\xc1", "A", 1},   {"A", "\xc1", 1},    {"\x80", "", 0},    {"\x80x", "*x", 1},
        {"\x80", "\x80", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" ~ \"" << c.pattern << '"');
        EXPECT_EQ(wildcardMatch(c.text, c.pattern), c.expected);
        EXPECT_EQ(ZString(c.text).matches(c.pattern), c.expected);
    }
}

TEST(WildcardMatch, PatternListFirstDecisivePatternWins)
{
    const struct { const char* patterns; const char* text; int expected; } cases[] = {
        {"!old* *.csv", "old.csv", 0}, {"!old* *.csv", "new.csv", 1}, {"!old* *.csv", "x.txt", 0},
        {"*.csv !old*", "old.csv", 1}, {"*.txt, *.csv", "a.csv", 1},  {"\"*.c v\"", "x.c v", 1},
        {" *.csv", "a.csv", 0},        {"!*.txt", "a.csv", 0},        {"a\t b\n c", "c", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.patterns << " / " << c.text);
        EXPECT_EQ(ZString(c.text).matchesList(c.patterns), c.expected);
    }
}
