#include "ZString.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Copies the array out and frees it as its owner must.
std::vector<std::string> takeFieldArray(const ZString& s)
{
    char** fields = s.fieldArray();
    std::vector<std::string> out;
    for (char** f = fields; *f; ++f) {
        out.push_back(*f);
        delete[] *f;
    }
    delete[] fields;
    return out;
}

} // namespace

TEST(ZStringFields, FieldAt)
{
    const char* const grouped = "a \"b c\" (d e),f";
    const struct { const char* text; int n; const char* field; } cases[] = {
        {grouped, 0, "a"},      {grouped, 1, "b c"},        {grouped, 2, "(d e)"},  {grouped, 3, "f"},
        {grouped, 4, ""},       {grouped, 99, ""},          {" a", 0, ""},          {" a", 1, "a"},
        {"a,, \t\r\nb", 1, "b"}, {"x\"y z\" w", 0, "x\"y z\""}, {"x\"y z\" w", 1, "w"},
        {"(a (b) c", 0, "(a (b)"}, {"\"open quote", 0, "open quote"}, {"\"\" next", 0, ""},
        {"\"", 0, ""},          {"a", -2, "a"},             {nullptr, 3, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.text ? c.text : "(null)") << " #" << c.n);
        EXPECT_STREQ(ZString(c.text).fieldAt(c.n).cStr(), c.field);
    }
}

TEST(ZStringFields, FieldArrayStopsAtEmptyFieldOrLimit)
{
    EXPECT_EQ(takeFieldArray("one \"two 2\""), (std::vector<std::string>{"one", "two 2"}));
    EXPECT_TRUE(takeFieldArray(" one").empty());
    EXPECT_EQ(takeFieldArray("a \"\" b"), std::vector<std::string>{"a"});

    ZString seventy;
    for (int i = 0; i < 70; ++i)
        seventy = seventy + ZString(i) + " ";
    const std::vector<std::string> fields = takeFieldArray(seventy);
    ASSERT_EQ(fields.size(), size_t(ZString::maxFields));
    EXPECT_EQ(fields.back(), "63");
}

TEST(ZStringFields, TakingTokensWordsAndLines)
{
    const struct { const char* text; std::function<ZString(ZString&)> take; const char* taken, *rest; } cases[] = {
        {"  alpha beta", [](ZString& s) { return s.takeWord(); }, "alpha", "beta"},
        {" \t \n ", [](ZString& s) { return s.takeWord(); }, "", ""},
        {"one two\n\nthree\n", [](ZString& s) { return s.takeLine(); }, "one two", "three\n"},
        {"a,,b,", [](ZString& s) { return s.takeToken(","); }, "a", "b,"},
        {nullptr, [](ZString& s) { return s.takeToken(","); }, "", ""},
        {"2024-01", [](ZString& s) { return s.takeLeading("0123456789"); }, "2024", "-01"},
        {"x ", [](ZString& s) { return s.takeLeading(" "); }, "", "x "},
        {"  x y  ", [](ZString& s) { return s.trimmed(" "); }, "x y", "  x y  "},
        {"    ", [](ZString& s) { return s.trimmed(" "); }, "", "    "},
        {"ax", [](ZString& s) { return s.trimmed("x"); }, "a", "ax"},
        {"abc", [](ZString& s) { return s.trimmed(""); }, "abc", "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        ZString s(c.text);
        EXPECT_STREQ(c.take(s).cStr(), c.taken);
        EXPECT_STREQ(s.cStr(), c.rest);
    }
}

TEST(ZStringFields, Split)
{
    const struct { const char* text; const char* separators; const char* joined; } cases[] = {
        {"a,,b,", ",", "a|b"}, {" a b  c ", " ", "a|b|c"}, {"k=v;x=y", ";=", "k|v|x|y"},
        {"", ",", ""},         {",,,", ",", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ZList<ZString> tokens = ZString(c.text).split(c.separators);
        std::string joined;
        ZListPos pos;
        for (tokens.start(pos); !tokens.isEnd(pos); tokens.next(pos))
            joined += (joined.empty() ? "" : "|") + std::string(tokens.get(pos).cStr());
        EXPECT_EQ(joined, c.joined);
    }
}
