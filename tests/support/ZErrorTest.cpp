#include "ZError.h"

#include <gtest/gtest.h>

TEST(ZError, SuccessAndFailureValues)
{
    const struct { const char* name; ZError error; int number; const char* text; } cases[] = {
        {"default", ZError(), 0, ""},
        {"text alone", ZError(ZString("disk full")), 1, "disk full"},
        {"text literal", ZError("no port"), 1, "no port"},
        {"number and empty text", ZError(7), 7, ""},
        {"number and text", ZError(3, "three"), 3, "three"},
        {"set text", ZError().set("late"), 1, "late"},
        {"set number", ZError("x").set(0, ZString()), 0, ""},
        {"set both", ZError().set(5, "five"), 5, "five"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.error.getNumber(), c.number);
        EXPECT_EQ(int(c.error), c.number);
        EXPECT_STREQ(c.error.getString().cStr(), c.text);
    }
}

TEST(ZError, AssignAndTestInOneExpression)
{
    auto failing = [] { return ZError("broken"); };
    auto succeeding = [] { return ZError(); };
    ZError err;
    bool failed = false;
    if ((err = failing()))
        failed = true;
    EXPECT_TRUE(failed);
    EXPECT_STREQ(err.getString().cStr(), "broken");
    if ((err = succeeding()))
        failed = false;
    EXPECT_TRUE(failed);
    EXPECT_EQ(err.getNumber(), 0);
}

TEST(ZError, CopySharesNoText)
{
    const ZError original(4, "original text");
    const ZError plain = original;
    EXPECT_EQ(plain.getString().cStr(), original.getString().cStr());

    const ZError copy = original.copy();
    EXPECT_EQ(copy.getNumber(), 4);
    EXPECT_STREQ(copy.getString().cStr(), "original text");
    EXPECT_NE(copy.getString().cStr(), original.getString().cStr());

    ZError changed = original.copy();
    changed.set(4, changed.getString().toUpper());
    EXPECT_STREQ(original.getString().cStr(), "original text");
}
