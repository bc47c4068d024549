#include "ZString.h"
#include "ZStringData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>

namespace {

// Counts the change notifications a string sends itself.
class CountingString : public ZString
{
public:
    using ZString::ZString;
    using ZString::operator=;
    int changes = 0;

protected:
    void changed() override { ++changes; }
};

std::string printed(const char* fmt, double v)
{
    const int len = std::snprintf(nullptr, 0, fmt, v);
    std::string text(len, '\0');
    std::snprintf(text.data(), len + 1, fmt, v);
    return text;
}

} // namespace

TEST(ZString, EmptyFormsAreAlike)
{
    for (const ZString& s : {ZString(), ZString(""), ZString(static_cast<const char*>(nullptr))}) {
        EXPECT_EQ(s.length(), 0);
        ASSERT_NE(s.cStr(), nullptr);
        EXPECT_STREQ(s.cStr(), "");
        EXPECT_EQ(s.compare(ZString()), 0);
        EXPECT_FALSE(s != "");
    }
}

TEST(ZString, NullAndEmptyRecordDifferOnlyWherePaddingSaysSo)
{
    ZString null;
    ZString emptied("abc");
    emptied.truncate(0);
    EXPECT_EQ(emptied.length(), 0);
    EXPECT_EQ(emptied.compare(null), 0);
    EXPECT_STREQ(null.padTo(2).cStr(), "");
    EXPECT_STREQ(emptied.padTo(2).cStr(), "  ");
}

TEST(ZString, NumbersBecomeText)
{
    EXPECT_STREQ(ZString(-5).cStr(), "-5");
    EXPECT_STREQ(ZString(4000000000u).cStr(), "4000000000");
    EXPECT_STREQ(ZString(-7L).cStr(), "-7");
    EXPECT_STREQ(ZString(1234567890123LL).cStr(), "1234567890123");
    EXPECT_STREQ(ZString(2.5).cStr(), "2.500000");
    EXPECT_STREQ(ZString('q').cStr(), "q");
    EXPECT_STREQ(ZString::fromNumber('A').cStr(), "A");
    EXPECT_EQ(ZString::fromNumber('\0').length(), 0);
    EXPECT_STREQ(ZString::fromNumber(-12).cStr(), "-12");
    EXPECT_STREQ(ZString::fromNumber(7u).cStr(), "7");
    EXPECT_STREQ(ZString::fromNumber(-8L).cStr(), "-8");
    EXPECT_STREQ(ZString::fromNumber(-1234567890123LL).cStr(), "-1234567890123");
    EXPECT_STREQ(ZString::fromNumber(0.125).cStr(), "0.125000");
    EXPECT_STREQ(ZString::fromNumberHex(255).cStr(), "0xff");
    EXPECT_STREQ(ZString::fromNumberHex(0).cStr(), "0x0");
    EXPECT_STREQ(ZString::fromNumberHex(-1).cStr(), "0xffffffff");
}

TEST(ZString, HugeDoublesKeepEveryDigit)
{
    for (double v : {1e300, -1e300, 1e25, -1.7976931348623157e308}) {
        const std::string expected = printed("%f", v);
        EXPECT_GT(expected.size(), 31u);
        EXPECT_EQ(std::string(ZString(v).cStr()), expected);
        EXPECT_EQ(std::string(ZString::fromNumber(v).cStr()), expected);
        EXPECT_EQ(ZString(v).length(), int(expected.size()));
    }
}

TEST(ZString, TextBecomesNumbers)
{
    const struct { const char* text; int value; double real; } cases[] = {
        {"0x1A", 26, 26.0}, {"010", 8, 10.0}, {"12abc", 12, 12.0}, {"", 0, 0.0},
        {"abc", 0, 0.0}, {"-42", -42, -42.0}, {"  7", 7, 7.0}, {"2.75x", 2, 2.75},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ZString(c.text).toInt(), c.value);
        EXPECT_DOUBLE_EQ(ZString(c.text).toDouble(), c.real);
    }
    EXPECT_EQ(ZString().toInt(), 0);
}

TEST(ZString, CopiesShareUntilOneChanges)
{
    ZString original("Hello world\n");
    ZString copy = original;
    EXPECT_EQ(copy.cStr(), original.cStr());

    const std::function<void(ZString&)> edits[] = {
        [](ZString& s) { s.truncate(3); },
        [](ZString& s) { s.padTo(40); },
        [](ZString& s) { s.toUpper(); },
        [](ZString& s) { s.toLower(); },
        [](ZString& s) { s.chopNewline(); },
        [](ZString& s) { s.erase(0, 2); },
        [](ZString& s) { s.insertAt(1, "++"); },
        [](ZString& s) { s.format("%s!", s.cStr()); },
        [](ZString& s) { s.takeWord(); },
        [](ZString& s) { s[0] = 'J'; },
    };
    for (const auto& edit : edits) {
        ZString changed = original;
        edit(changed);
        EXPECT_STREQ(original.cStr(), "Hello world\n");
        EXPECT_STRNE(changed.cStr(), "Hello world\n");
    }

    ZString shout = original;
    shout.toUpper();
    EXPECT_STREQ(shout.cStr(), "HELLO WORLD\n");
    EXPECT_STREQ(copy.cStr(), "Hello world\n");
    EXPECT_NE(original.deepCopy().cStr(), original.cStr());
    EXPECT_STREQ(original.deepCopy().cStr(), "Hello world\n");
}

TEST(ZString, AssignmentKeepsTextAliveAcrossSelfAndChains)
{
    ZString a("abc");
    ZString& self = a;
    a = self;
    EXPECT_STREQ(a.cStr(), "abc");
    ZString b = a;
    a = b;  // the same record on both sides
    EXPECT_STREQ(a.cStr(), "abc");
    {
        ZString c("temporary");
        a = c;
    }
    EXPECT_STREQ(a.cStr(), "temporary");
    EXPECT_STREQ(b.cStr(), "abc");
}

TEST(ZString, ChangedHookCallsAreCounted)
{
    const struct {
        const char* name;
        const char* initial;
        std::function<void(ZString&)> operation;
        int changes;
    } cases[] = {
        {"construction", "abc", [](ZString&) {}, 0},
        {"assignment", "abc", [](ZString& s) { s = "x"; }, 1},
        {"truncate", "hello", [](ZString& s) { s.truncate(2); }, 1},
        {"truncate longer", "hello", [](ZString& s) { s.truncate(20); }, 1},
        {"truncate null", nullptr, [](ZString& s) { s.truncate(2); }, 0},
        {"padTo appends three", "ab", [](ZString& s) { s.padTo(5); }, 4},
        {"padTo null", nullptr, [](ZString& s) { s.padTo(5); }, 0},
        {"erase", "hello", [](ZString& s) { s.erase(1, 2); }, 1},
        {"erase refused", "hello", [](ZString& s) { s.erase(9, 1); }, 0},
        {"insertAt", "abcd", [](ZString& s) { s.insertAt(2, "--"); }, 2},
        {"insertAt refused", "abcd", [](ZString& s) { s.insertAt(5, "--"); }, 0},
        {"chopNewline", "a\n", [](ZString& s) { s.chopNewline(); }, 1},
        {"chopNewline nothing", "a", [](ZString& s) { s.chopNewline(); }, 0},
        {"toUpper", "abc", [](ZString& s) { s.toUpper(); }, 0},
        {"toLower", "ABC", [](ZString& s) { s.toLower(); }, 0},
        {"format", "abc", [](ZString& s) { s.format("%d", 1); }, 1},
        {"format error", "abc", [](ZString& s) { s.format("%ls", L"\x20ac"); }, 0},
        {"takeToken", "a b", [](ZString& s) { s.takeToken(" "); }, 1},
        {"takeToken null", nullptr, [](ZString& s) { s.takeToken(" "); }, 0},
        {"takeLeading", "  a", [](ZString& s) { s.takeLeading(" "); }, 1},
        {"stream extraction", "abc", [](ZString& s) { std::istringstream in("w"); in >> s; }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CountingString s(c.initial);
        c.operation(s);
        EXPECT_EQ(s.changes, c.changes);
    }
}

TEST(ZString, FormatHasNoLengthLimit)
{
    const std::string big(300000, 'x');
    ZString s("old");
    s.format("<%s>", big.c_str());
    ASSERT_EQ(s.length(), 300002);
    EXPECT_EQ(std::string(s.cStr()), "<" + big + ">");

    s.format("%d-%s", 7, "x");
    EXPECT_STREQ(s.cStr(), "7-x");
}

TEST(ZString, FormatMayReadItsOwnText)
{
    ZString s("ab");
    s.format("%s%s%d", s.cStr(), s.cStr(), s.length());
    EXPECT_STREQ(s.cStr(), "abab2");
}

TEST(ZString, FailedFormatLeavesEmptyString)
{
    ZString s("previous");
    ZString keeper = s;
    s.format("%ls", L"\x20ac");  // no such character in the C locale
    EXPECT_EQ(s.length(), 0);
    EXPECT_STREQ(keeper.cStr(), "previous");
}

TEST(ZString, Substring)
{
    const struct { int pos, len; const char* expected; } cases[] = {
        {2, -1, "llo"}, {1, 3, "ell"}, {5, 2, ""}, {6, 1, ""}, {-1, 2, ""},
        {0, 100, "hello"}, {0, 0, ""}, {4, -7, "o"},
    };
    const ZString hello("hello");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pos << "," << c.len);
        EXPECT_STREQ(hello.substring(c.pos, c.len).cStr(), c.expected);
    }
    EXPECT_EQ(ZString().substring(0, 1).length(), 0);
}

TEST(ZString, Erase)
{
    const struct { const char* text; int pos, len, result; const char* expected; } cases[] = {
        {"hello", 1, 10, 1, "h"},  {"hello", 6, 1, 0, "hello"}, {"", 0, 1, 0, ""},
        {"hello", 0, 5, 1, ""},    {"hello", 5, 1, 1, "hello"}, {"hello", 1, 2, 1, "hlo"},
        {"hello", -1, 1, 0, "hello"}, {"hello", 2, -3, 1, "hello"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " " << c.pos << "," << c.len);
        ZString s(c.text);
        EXPECT_EQ(s.erase(c.pos, c.len), c.result);
        EXPECT_STREQ(s.cStr(), c.expected);
    }
    ZString emptied("ab");
    emptied.truncate(0);
    EXPECT_EQ(emptied.erase(0, 1), 0);
}

TEST(ZString, InsertAt)
{
    const struct { const char* text; int pos; const char* inserted; int result; const char* expected; } cases[] = {
        {"", 0, "x", 1, "x"},         {"abcd", 2, "--", 1, "ab--cd"}, {"abcd", 5, "--", 0, "abcd"},
        {"abcd", 4, "!", 1, "abcd!"}, {"abcd", 0, ">", 1, ">abcd"},   {"abcd", -1, ">", 0, "abcd"},
        {"abcd", 2, "", 1, "abcd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " @" << c.pos);
        ZString s(c.text);
        EXPECT_EQ(s.insertAt(c.pos, c.inserted), c.result);
        EXPECT_STREQ(s.cStr(), c.expected);
    }
}

TEST(ZString, TruncatePadAndChop)
{
    const struct { const char* text; std::function<void(ZString&)> edit; const char* expected; } cases[] = {
        {"abc", [](ZString& s) { s.truncate(10); }, "abc"},
        {"abc", [](ZString& s) { s.truncate(2); }, "ab"},
        {"abc", [](ZString& s) { s.truncate(0); }, ""},
        {"abc", [](ZString& s) { s.truncate(-3); }, ""},
        {"ab", [](ZString& s) { s.padTo(5); }, "ab   "},
        {"", [](ZString& s) { s.padTo(5); }, ""},
        {"abcdef", [](ZString& s) { s.padTo(3); }, "abcdef"},
        {"a\n\n", [](ZString& s) { s.chopNewline(); }, "a\n"},
        {"a\r\n", [](ZString& s) { s.chopNewline(); }, "a\r"},
        {"\n", [](ZString& s) { s.chopNewline(); }, ""},
        {"a", [](ZString& s) { s.chopNewline(); }, "a"},
        {"", [](ZString& s) { s.chopNewline(); }, ""},
        {"MiXed 1", [](ZString& s) { s.toUpper(); }, "MIXED 1"},
        {"MiXed 1", [](ZString& s) { s.toLower(); }, "mixed 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ZString s(c.text);
        c.edit(s);
        EXPECT_STREQ(s.cStr(), c.expected);
    }
}

TEST(ZString, WidePaddingKeepsTextAndCountsEachBlank)
{
    CountingString s("x");
    s.padTo(100000);
    ASSERT_EQ(s.length(), 100000);
    EXPECT_EQ(std::string(s.cStr()), "x" + std::string(99999, ' '));
    EXPECT_EQ(s.changes, 100000);
}

TEST(ZString, GrowsAfterTruncation)
{
    ZString s("abcdefghijklmnopqrstuvwxyz");
    s.truncate(1);
    s = s + "bc";
    EXPECT_STREQ(s.cStr(), "abc");
    EXPECT_EQ(s.length(), 3);
}

TEST(ZString, ComparisonConcatenationAndSearch)
{
    const ZString abc("abc");
    EXPECT_LT(abc.compare("abd"), 0);
    EXPECT_GT(abc.compare(ZString()), 0);
    EXPECT_EQ(abc != "abc", 0);
    EXPECT_EQ(abc != "ab", 1);
    EXPECT_STREQ((abc + "def").cStr(), "abcdef");
    EXPECT_STREQ((ZString() + abc).cStr(), "abc");
    EXPECT_EQ((ZString() + ZString()).padTo(3).length(), 0);
    EXPECT_EQ(ZString("a,b,c").indexOf(','), 1);
    EXPECT_EQ(ZString("a,b,c").lastIndexOf(','), 3);
    EXPECT_EQ(abc.indexOf('z'), -1);
    EXPECT_EQ(ZString().indexOf('a'), -1);
    EXPECT_EQ(ZString().lastIndexOf('a'), -1);
    EXPECT_EQ(abc.isValidPos(3), 1);
    EXPECT_EQ(abc.isValidPos(4), 0);
    EXPECT_EQ(abc.isValidPos(-1), 0);

    char* dup = abc.dupCStr();
    EXPECT_STREQ(dup, "abc");
    EXPECT_NE(dup, abc.cStr());
    std::free(dup);
    dup = ZString().dupCStr();
    EXPECT_STREQ(dup, "");
    std::free(dup);
}

TEST(ZString, StreamsCarryWordsOfAnyLength)
{
    const std::string longWord(100000, 'w');
    std::istringstream in("  " + longWord + "\tnext");
    ZString word;
    in >> word;
    EXPECT_EQ(word.length(), 100000);
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

TEST(ZString, IndexingWritesOnlyItsOwnCopy)
{
    ZString a("cat");
    ZString b = a;
    b[0] = 'b';
    EXPECT_STREQ(a.cStr(), "cat");
    EXPECT_STREQ(b.cStr(), "bat");
    const ZString& constant = a;
    EXPECT_EQ(constant[2], 't');
}

TEST(ZStringDeathTest, IndexingEmptyStringEndsProcess)
{
    EXPECT_EXIT({ ZString s; s[0] = 'x'; }, testing::ExitedWithCode(1), "ZString: array operator out of range");
    EXPECT_EXIT({ const ZString s(""); std::printf("%c", s[0]); }, testing::ExitedWithCode(1),
                "ZString: array operator out of range");
    EXPECT_EXIT({ ZString s("a"); s.format("%ls", L"\x20ac"); s[0] = 'x'; }, testing::ExitedWithCode(1),
                "ZString: array operator out of range");
}

TEST(ZStringData, GrowsInSixteenByteStepsAndNeverShrinks)
{
    const struct { int used, allocated; } steps[] = {{1, 16}, {16, 16}, {17, 32}, {5, 32}, {100, 112}};
    ZStringData record(1);
    EXPECT_EQ(record.refs, 1);
    for (const auto& step : steps) {
        record.setUsed(step.used);
        EXPECT_EQ(record.used, step.used);
        EXPECT_EQ(record.allocated, step.allocated);
    }
}

TEST(ZStringData, UnshareCopiesOnlyWhenShared)
{
    ZStringData* record = new ZStringData(4);
    std::snprintf(record->data, 4, "abc");
    EXPECT_EQ(record->unshare(), record);

    record->addRef();
    ZStringData* copy = record->unshare();
    ASSERT_NE(copy, record);
    EXPECT_EQ(record->refs, 1);
    EXPECT_EQ(copy->refs, 1);
    EXPECT_STREQ(copy->data, "abc");
    EXPECT_EQ(copy->used, 4);
    EXPECT_EQ(copy->allocated, 16);

    for (ZStringData* r : {record, copy}) {
        EXPECT_EQ(r->release(), 0);
        EXPECT_EQ(r->data, nullptr);
        EXPECT_EQ(r->allocated, 0);
        delete r;
    }
}
