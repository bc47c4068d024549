// The texts the axis labels draw.
#include "AxisLabel.h"
#include "GermanNumbers.h"
#include "ZGraph.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase
{
    double value;
    const char* right;  // vertical label, and the horizontal label's end
    const char* left;   // horizontal label's start
};

const NumberCase numberCases[] = {
    {2047, "        2047", "2047        "},
    {0, "           0", "0           "},
    {12.5, "        12.5", "12.5        "},
    {-5, "          -5", "-5          "},
    // A million and more in digits, as far as twelve characters reach.
    {1e6, "     1000000", "1000000     "},
    {1951800, "     1951800", "1951800     "},
    {3000380, "     3000380", "3000380     "},
    {-2500000, "    -2500000", "-2500000    "},
    {1234567.4, "     1234567", "1234567     "},
    {99999999999, " 99999999999", "99999999999 "},
    {1e11, "       1e+11", "1e+11       "},
    {999999, "      999999", "999999      "},
    {0.000123456789, " 0.000123457", "0.000123457 "},
    {-1e-10, "      -1e-10", "-1e-10      "},
};

} // namespace

TEST(AxisLabelTexts, NumbersTakeTwelveCharacters)
{
    for (const NumberCase& c : numberCases) {
        SCOPED_TRACE(c.value);
        const AxisLabel::Texts vertical = AxisLabel::verticalTexts(c.value, c.value, "t");
        EXPECT_STREQ(vertical.low.cStr(), c.right);
        EXPECT_STREQ(vertical.high.cStr(), c.right);
        const AxisLabel::Texts horizontal = AxisLabel::horizontalTexts(c.value, c.value, "t");
        EXPECT_STREQ(horizontal.low.cStr(), c.left);
        EXPECT_STREQ(horizontal.high.cStr(), c.right);
    }
}

TEST(AxisLabelTexts, EndsAndTitleKeepTheirPlaces)
{
    const AxisLabel::Texts vertical = AxisLabel::verticalTexts(-3, 8, "Voltage");
    EXPECT_STREQ(vertical.low.cStr(), "          -3");
    EXPECT_STREQ(vertical.high.cStr(), "           8");
    EXPECT_STREQ(vertical.title.cStr(), "Voltage");

    const AxisLabel::Texts horizontal = AxisLabel::horizontalTexts(0, 2047, "");
    EXPECT_STREQ(horizontal.low.cStr(), "0           ");
    EXPECT_STREQ(horizontal.high.cStr(), "        2047");
    EXPECT_EQ(horizontal.title.length(), 0);
}

TEST(AxisLabelTexts, NumbersKeepTheirDecimalPointOnAGermanDesktop)
{
    GermanNumbers german;
    if (!german.active())
        GTEST_SKIP() << "no German locale could be made on this machine";
    for (const NumberCase& c : numberCases) {
        SCOPED_TRACE(c.value);
        EXPECT_STREQ(AxisLabel::verticalTexts(c.value, c.value, "t").high.cStr(), c.right);
        EXPECT_STREQ(AxisLabel::horizontalTexts(c.value, c.value, "t").low.cStr(), c.left);
    }

    // What a live graph draws beside its trace.
    ZGraph graph;
    graph.setYLabel("Voltage");
    graph.setData({0.25f, 12.5f});
    graph.resize(400, 120);
    graph.grab();
    EXPECT_STREQ(graph.yAxisTexts().low.cStr(), "        0.25");
    EXPECT_STREQ(graph.yAxisTexts().high.cStr(), "        12.5");
}
