#include "ZString.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>

namespace {

// Counts the change notifications a string sends itself.
class CountingString : public ZString
{
public:
    using ZString::ZString;
    int changes = 0;

protected:
    void changed() override { ++changes; }
};

using Edit = std::function<void(ZString&)>;

enum Op { Substring, Erase, InsertAt, Truncate, PadTo, Chop };
const char* const opNames[] = {"substring", "erase", "insertAt", "truncate", "padTo", "chopNewline"};

// Runs one edit; the result is what erase and insertAt report, 1 for the rest.
int apply(Op op, ZString& s, int a, int b)
{
    switch (op) {
    case Substring: s = s.substring(a, b); return 1;
    case Erase: return s.erase(a, b);
    case InsertAt: return s.insertAt(a, "--");
    case Truncate: s.truncate(a); return 1;
    case PadTo: s.padTo(a); return 1;
    case Chop: s.chopNewline(); return 1;
    }
    return 0;
}

} // namespace

TEST(ZString, NumbersAndNullBecomeText)
{
    const struct { ZString made; const char* expected; } cases[] = {
        {ZString(-5), "-5"}, {ZString(4000000000u), "4000000000"}, {ZString(-7L), "-7"},
        {ZString(1234567890123LL), "1234567890123"}, {ZString(2.5), "2.500000"}, {ZString('q'), "q"},
        {ZString::fromNumber('\0'), ""}, {ZString::fromNumberHex(255), "0xff"}, {ZString::fromNumberHex(-1), "0xffffffff"},
        {ZString(static_cast<const char*>(nullptr)), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_STREQ(c.made.cStr(), c.expected);
        EXPECT_EQ(c.made.length(), int(std::strlen(c.expected)));
    }
    // Hundreds of digits: no fixed-size buffer may cut them off.
    for (double v : {1e300, -1.7976931348623157e308}) {
        char expected[400];
        std::snprintf(expected, sizeof expected, "%f", v);
        EXPECT_STREQ(ZString(v).cStr(), expected);
    }
}

TEST(ZString, TextBecomesNumbersInAnyBase)
{
    const struct { const char* text; int value; double real; } cases[] = {
        {"0x1A", 26, 26.0}, {"010", 8, 10.0}, {"12abc", 12, 12.0}, {"", 0, 0.0},
        {"abc", 0, 0.0},    {"-42", -42, -42.0}, {"2.75x", 2, 2.75},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ZString(c.text).toInt(), c.value);
        EXPECT_DOUBLE_EQ(ZString(c.text).toDouble(), c.real);
    }
}

TEST(ZString, ChangingACopyLeavesTheOriginal)
{
    const ZString original("Hello world\n");
    const Edit edits[] = {
        [](ZString& s) { s.truncate(3); },     [](ZString& s) { s.padTo(40); },
        [](ZString& s) { s.toUpper(); },       [](ZString& s) { s.toLower(); },
        [](ZString& s) { s.chopNewline(); },   [](ZString& s) { s.erase(0, 2); },
        [](ZString& s) { s.insertAt(1, "+"); }, [](ZString& s) { s.format("%s!", s.cStr()); },
        [](ZString& s) { s.takeWord(); },      [](ZString& s) { s[0] = 'J'; },
    };
    for (const Edit& edit : edits) {
        ZString copy = original;
        edit(copy);
        EXPECT_STREQ(original.cStr(), "Hello world\n");
        EXPECT_STRNE(copy.cStr(), "Hello world\n");
    }
    ZString shout = original;
    EXPECT_STREQ(shout.toUpper().cStr(), "HELLO WORLD\n");
    EXPECT_NE(original.deepCopy().cStr(), original.cStr());

    // Assigning a string the record it already holds must not free that record first.
    ZString a("abc");
    ZString& self = a;
    a = self;
    ZString b = a;
    a = b;
    EXPECT_STREQ(a.cStr(), "abc");
}

TEST(ZString, ChangedHookCounts)
{
    const struct { const char* name; const char* initial; Edit edit; int changes; } cases[] = {
        {"assignment", "abc", [](ZString& s) { s = "x"; }, 1},
        {"truncate", "hello", [](ZString& s) { s.truncate(2); }, 1},
        {"padTo: one per blank and one more", "ab", [](ZString& s) { s.padTo(5); }, 4},
        {"padTo wide", "x", [](ZString& s) { s.padTo(100000); }, 100000},
        {"padTo null", nullptr, [](ZString& s) { s.padTo(5); }, 0},
        {"erase", "hello", [](ZString& s) { s.erase(1, 2); }, 1},
        {"erase refused", "hello", [](ZString& s) { s.erase(9, 1); }, 0},
        {"insertAt assigns and changes", "abcd", [](ZString& s) { s.insertAt(2, "--"); }, 2},
        {"insertAt refused", "abcd", [](ZString& s) { s.insertAt(5, "--"); }, 0},
        {"chopNewline", "a\n", [](ZString& s) { s.chopNewline(); }, 1},
        {"format", "abc", [](ZString& s) { s.format("%d", 1); }, 1},
        {"format error", "abc", [](ZString& s) { s.format("%ls", L"\x20ac"); }, 0},
        {"stream extraction", "abc", [](ZString& s) { std::istringstream in("w"); in >> s; }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CountingString s(c.initial);
        c.edit(s);
        EXPECT_EQ(s.changes, c.changes);
    }
}

TEST(ZString, FormatHasNoLengthLimitAndMayReadItsOwnText)
{
    const std::string big(300000, 'x');
    ZString s("old");
    s.format("<%s>", big.c_str());
    ASSERT_EQ(s.length(), 300002);
    EXPECT_EQ(std::string(s.cStr()), "<" + big + ">");

    s = "ab";
    s.format("%s%s%d", s.cStr(), s.cStr(), s.length());
    EXPECT_STREQ(s.cStr(), "abab2");

    ZString keeper = s;
    s.format("%ls", L"\x20ac");  // no such character in the C locale
    EXPECT_EQ(s.length(), 0);
    EXPECT_STREQ(keeper.cStr(), "abab2");
}

TEST(ZString, EditsAtTheEdges)
{
    const struct { Op op; const char* text; int a, b; int result; const char* expected; } cases[] = {
        {Substring, "hello", 2, -1, 1, "llo"}, {Substring, "hello", 1, 3, 1, "ell"}, {Substring, "hello", 5, 2, 1, ""},
        {Substring, "hello", 6, 1, 1, ""}, {Substring, "hello", -1, 2, 1, ""}, {Substring, "hello", 0, 100, 1, "hello"},
        {Substring, "hello", 4, -7, 1, "o"}, {Substring, "", 0, 1, 1, ""},
        {Erase, "hello", 1, 10, 1, "h"}, {Erase, "hello", 6, 1, 0, "hello"}, {Erase, "hello", 0, 5, 1, ""},
        {Erase, "hello", 5, 1, 1, "hello"}, {Erase, "hello", 1, 2, 1, "hlo"}, {Erase, "hello", -1, 1, 0, "hello"},
        {Erase, "hello", 2, -3, 1, "hello"}, {Erase, "", 0, 1, 0, ""},
        {InsertAt, "", 0, 0, 1, "--"}, {InsertAt, "abcd", 2, 0, 1, "ab--cd"}, {InsertAt, "abcd", 4, 0, 1, "abcd--"},
        {InsertAt, "abcd", 0, 0, 1, "--abcd"}, {InsertAt, "abcd", 5, 0, 0, "abcd"}, {InsertAt, "abcd", -1, 0, 0, "abcd"},
        {Truncate, "abc", 10, 0, 1, "abc"}, {Truncate, "abc", 2, 0, 1, "ab"}, {Truncate, "abc", -3, 0, 1, ""},
        {PadTo, "ab", 5, 0, 1, "ab   "}, {PadTo, "", 5, 0, 1, ""}, {PadTo, "abcdef", 3, 0, 1, "abcdef"},
        {Chop, "a\n\n", 0, 0, 1, "a\n"}, {Chop, "a\r\n", 0, 0, 1, "a\r"}, {Chop, "\n", 0, 0, 1, ""}, {Chop, "a", 0, 0, 1, "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << opNames[c.op] << " \"" << c.text << "\" " << c.a << "," << c.b);
        ZString s(c.text);
        EXPECT_EQ(apply(c.op, s, c.a, c.b), c.result);
        EXPECT_STREQ(s.cStr(), c.expected);
        EXPECT_EQ(s.length(), int(std::strlen(c.expected)));
    }
}

TEST(ZString, CompareConcatenateSearch)
{
    const ZString abc("abc");
    EXPECT_LT(abc.compare("abd"), 0);
    EXPECT_GT(abc.compare(ZString()), 0);
    EXPECT_EQ(abc != "abc", 0);
    EXPECT_EQ(abc == "abc", 1);
    EXPECT_STREQ((ZString() + abc + "def").cStr(), "abcdef");
    EXPECT_EQ(ZString("a,b,c").indexOf(','), 1);
    EXPECT_EQ(ZString("a,b,c").lastIndexOf(','), 3);
    EXPECT_EQ(abc.indexOf('z'), -1);
}

TEST(ZString, StreamsCarryWordsOfAnyLength)
{
    const std::string longWord(100000, 'w');
    std::istringstream in("  " + longWord + "\tnext");
    ZString word;
    in >> word;
    EXPECT_EQ(std::string(word.cStr()), longWord);
    in >> word;
    EXPECT_STREQ(word.cStr(), "next");
    in >> word;
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(word.length(), 0);

    std::ostringstream out;
    out << ZString("value=") << ZString(3) << ZString();
    EXPECT_EQ(out.str(), "value=3");
}

TEST(ZStringDeathTest, IndexingEmptyStringEndsProcess)
{
    EXPECT_EXIT({ ZString s; s[0] = 'x'; }, testing::ExitedWithCode(1), "^ZString: array operator out of range\n$");
    EXPECT_EXIT({ const ZString s(""); std::printf("%c", s[0]); }, testing::ExitedWithCode(1),
                "ZString: array operator out of range");
}
