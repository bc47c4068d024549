#include "ZError.h"

#include <gtest/gtest.h>

TEST(ZError, SuccessAndFailureValues)
{
    const struct { const char* name; ZError error; int number; const char* text; } cases[] = {
        {"default", ZError(), 0, ""},
        {"text alone", ZError(ZString("disk full")), 1, "disk full"},
        {"number alone", ZError(7), 7, ""},
        {"set text", ZError().set("late"), 1, "late"},
        {"set number", ZError("x").set(0, ZString()), 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(int(c.error), c.number);
        EXPECT_STREQ(c.error.getString().cStr(), c.text);
    }
}

TEST(ZError, CopySharesNoText)
{
    const ZError original(4, "original text");
    ZError copy = original.copy();
    EXPECT_EQ(copy.getNumber(), 4);
    EXPECT_NE(copy.getString().cStr(), original.getString().cStr());
    copy.set(4, copy.getString().toUpper());
    EXPECT_STREQ(original.getString().cStr(), "original text");
    EXPECT_STREQ(copy.getString().cStr(), "ORIGINAL TEXT");
}
