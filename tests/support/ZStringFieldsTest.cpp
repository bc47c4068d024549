#include "ZString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> texts(const ZList<ZString>& list)
{
    std::vector<std::string> out;
    ZListPos pos;
    for (list.start(pos); !list.isEnd(pos); list.next(pos))
        out.push_back(list.get(pos).cStr());
    return out;
}

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
    const struct { const char* text; int n; const char* field; } cases[] = {
        {"a \"b c\" (d e),f", 0, "a"},   {"a \"b c\" (d e),f", 1, "b c"},
        {"a \"b c\" (d e),f", 2, "(d e)"}, {"a \"b c\" (d e),f", 3, "f"},
        {"a \"b c\" (d e),f", 4, ""},    {"a \"b c\" (d e),f", 99, ""},
        {" a", 0, ""},                   {" a", 1, "a"},
        {"a,, \t\r\nb", 1, "b"},         {"x\"y z\" w", 0, "x\"y z\""},
        {"x\"y z\" w", 1, "w"},          {"(a (b) c", 0, "(a (b)"},
        {"\"open quote", 0, "open quote"}, {"\"\" next", 0, ""},
        {"\"", 0, ""},                   {"a", -2, "a"},
        {"", 0, ""},                     {nullptr, 3, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.text ? c.text : "(null)") << " #" << c.n);
        EXPECT_STREQ(ZString(c.text).fieldAt(c.n).cStr(), c.field);
    }
}

TEST(ZStringFields, SeparatorCharacters)
{
    const ZString s;
    for (char c : std::string("\t\n\r ,"))
        EXPECT_EQ(s.isFieldSeparator(c), 1) << int(c);
    for (char c : std::string("a;\"()\v-"))
        EXPECT_EQ(s.isFieldSeparator(c), 0) << int(c);
}

TEST(ZStringFields, FieldArrayStopsAtEmptyFieldOrLimit)
{
    EXPECT_EQ(takeFieldArray("one two"), (std::vector<std::string>{"one", "two"}));
    EXPECT_TRUE(takeFieldArray(" one").empty());
    EXPECT_TRUE(takeFieldArray(ZString()).empty());
    EXPECT_EQ(takeFieldArray("a \"\" b"), std::vector<std::string>{"a"});

    ZString seventy;
    for (int i = 0; i < 70; ++i)
        seventy = seventy + ZString(i) + " ";
    const std::vector<std::string> fields = takeFieldArray(seventy);
    ASSERT_EQ(fields.size(), size_t(ZString::maxFields));
    EXPECT_EQ(fields.front(), "0");
    EXPECT_EQ(fields.back(), "63");
}

TEST(ZStringFields, TakeWordAndLine)
{
    ZString s("  alpha beta");
    EXPECT_STREQ(s.takeWord().cStr(), "alpha");
    EXPECT_STREQ(s.cStr(), "beta");
    EXPECT_STREQ(s.takeWord().cStr(), "beta");
    EXPECT_EQ(s.length(), 0);

    ZString blanks(" \t \n ");
    EXPECT_EQ(blanks.takeWord().length(), 0);
    EXPECT_EQ(blanks.length(), 0);

    ZString lines("one two\n\nthree\n");
    EXPECT_STREQ(lines.takeLine().cStr(), "one two");
    EXPECT_STREQ(lines.takeLine().cStr(), "three");
    EXPECT_EQ(lines.takeLine().length(), 0);

    ZString null;
    EXPECT_EQ(null.takeToken(",").length(), 0);
}

TEST(ZStringFields, TakeLeading)
{
    ZString s("  x ");
    EXPECT_STREQ(s.takeLeading(" ").cStr(), "  ");
    EXPECT_STREQ(s.cStr(), "x ");
    EXPECT_EQ(s.takeLeading(" ").length(), 0);
    EXPECT_STREQ(s.cStr(), "x ");
    ZString digits("2024-01");
    EXPECT_STREQ(digits.takeLeading("0123456789").cStr(), "2024");
    EXPECT_STREQ(digits.cStr(), "-01");
}

TEST(ZStringFields, Trimmed)
{
    const struct { const char* text; const char* chars; const char* expected; } cases[] = {
        {"  x y  ", " ", "x y"}, {"    ", " ", ""}, {"", " ", ""},     {nullptr, " ", ""},
        {"--a--", "-", "a"},     {"a", " ", "a"},   {"xa", "x", "a"},  {"ax", "x", "a"},
        {"\t a \n", " \t\n", "a"}, {"abc", "", "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.text ? c.text : "(null)"));
        EXPECT_STREQ(ZString(c.text).trimmed(c.chars).cStr(), c.expected);
    }
}

TEST(ZStringFields, Split)
{
    using Words = std::vector<std::string>;
    EXPECT_EQ(texts(ZString("a,,b,").split(",")), (Words{"a", "b"}));
    EXPECT_EQ(texts(ZString(" a b  c ").split(" ")), (Words{"a", "b", "c"}));
    EXPECT_EQ(texts(ZString("k=v;x=y").split(";=")), (Words{"k", "v", "x", "y"}));
    EXPECT_TRUE(texts(ZString().split(",")).empty());
    EXPECT_TRUE(texts(ZString(",,,").split(",")).empty());

    const ZString source("a b");
    source.split(" ");
    EXPECT_STREQ(source.cStr(), "a b");
}
