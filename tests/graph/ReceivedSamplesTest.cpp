// A live window is zero-filled after its newest sample until it is full: only
// the received samples are drawn and measured, at the places they would have
// in the full window.
#include "GraphFixture.h"

#include <QString>

#include <string>

namespace {

struct ReceivedCase
{
    std::string name;
    std::vector<float> samples;
    std::size_t received;
    int traceEnd;  // columns before it are traced, columns after it blank; -1: no trace
    const char *yLow, *yHigh, *xLow, *xHigh;
};

// Five samples across 200 columns: sample j at column 50 j.
constexpr int allColumns = 200;
const std::vector<ReceivedCase> receivedCases = {
    {"two of five: the trace stops at the second", {1, 3, 0, 0, 0}, 2, 50, "1", "3", "0", "4"},
    {"negative samples: the zero fill is no maximum", {-2, -4, 0, 0, 0}, 2, 50, "-4", "-2", "0", "4"},
    {"three of five keep their places", {5, 5, 9, 0, 0}, 3, 100, "5", "9", "0", "4"},
    {"nothing received: blank, no ends labelled", {0, 0, 0, 0, 0}, 0, -1, "", "", "", ""},
    {"one received: no line, one value", {7, 0, 0, 0, 0}, 1, -1, "7", "7", "0", "4"},
    {"all received: the zeros are samples", {1, 3, 0, 0, 0}, 5, allColumns, "0", "3", "0", "4"},
    {"more than the window counts as all", {1, 3, 0, 0, 0}, 9, allColumns, "0", "3", "0", "4"},
};

class ReceivedTest : public GraphFixture, public ::testing::WithParamInterface<ReceivedCase>
{
};

QString trimmed(const ZString& text)
{
    return QString::fromLatin1(text.cStr()).trimmed();
}

} // namespace

TEST_P(ReceivedTest, OnlyReceivedSamplesAreDrawnAndMeasured)
{
    const ReceivedCase& c = GetParam();
    graph.setData(c.samples, c.received);
    const QImage image = plotImage();
    for (int x = 0; x < plotWidth; ++x) {
        if (x < c.traceEnd) {
            EXPECT_GT(countInColumn(image, x, blue), 0) << "column " << x;
        } else if (x > c.traceEnd) {
            EXPECT_EQ(countInColumn(image, x, white), plotHeight) << "column " << x;
        }
    }
    EXPECT_EQ(trimmed(graph.yAxisTexts().low), c.yLow);
    EXPECT_EQ(trimmed(graph.yAxisTexts().high), c.yHigh);
    EXPECT_EQ(trimmed(graph.xAxisTexts().low), c.xLow);
    EXPECT_EQ(trimmed(graph.xAxisTexts().high), c.xHigh);
}

INSTANTIATE_TEST_SUITE_P(Graph, ReceivedTest, ::testing::ValuesIn(receivedCases),
                         [](const auto& info) { return testName(info.param.name); });
