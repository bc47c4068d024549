// A channel's history: the extremes its levels give against a plain scan, and
// how a run of samples spreads over pixel columns.
#include "IndexScale.h"
#include "SampleHistory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

SampleHistory::Extremes scanned(const std::vector<float>& samples, qint64 first, qint64 last)
{
    SampleHistory::Extremes e = SampleHistory::none;
    for (qint64 i = std::max<qint64>(first, 0); i < std::min<qint64>(last, qint64(samples.size())); ++i) {
        e.low = std::min(e.low, samples[size_t(i)]);
        e.high = std::max(e.high, samples[size_t(i)]);
    }
    return e;
}

std::vector<float> fill(SampleHistory& history, int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-1000, 1000);
    std::vector<float> samples;
    for (int i = 0; i < count; ++i) {
        samples.push_back(value(random));
        history.append(samples.back());
    }
    return samples;
}

void expectSame(const SampleHistory::Extremes& a, const SampleHistory::Extremes& b)
{
    EXPECT_EQ(a.low, b.low);
    EXPECT_EQ(a.high, b.high);
}

} // namespace

// Sizes on both sides of each level's block edges (16, 256, 4096, 65536).
TEST(SampleHistory, ExtremesOfAnyRunEqualAScan)
{
    std::mt19937 random(7);
    for (int count : {0, 1, 15, 16, 17, 255, 256, 257, 4095, 4097, 65537, 70001}) {
        SCOPED_TRACE(count);
        SampleHistory history;
        const std::vector<float> samples = fill(history, count, unsigned(count));
        ASSERT_EQ(history.count(), count);
        for (int i = 0; i < count; i += std::max(1, count / 50))
            ASSERT_EQ(history.at(i), samples[size_t(i)]);

        std::uniform_int_distribution<qint64> index(-3, count + 3);
        for (int run = 0; run < 300; ++run) {
            qint64 first = index(random);
            qint64 last = index(random);
            if (first > last)
                std::swap(first, last);
            SCOPED_TRACE(testing::Message() << "[" << first << ", " << last << ")");
            expectSame(history.extremes(first, last), scanned(samples, first, last));
        }
        expectSame(history.extremes(0, count), scanned(samples, 0, count));
        EXPECT_TRUE(history.extremes(count, count + 10).empty());
    }
}

TEST(SampleHistory, ColumnsTakeEverySampleOnceInOrder)
{
    SampleHistory history;
    const std::vector<float> samples = fill(history, 30000, 3);
    struct Case
    {
        qint64 first, last;
        int columns;
    };
    for (const Case& c : {Case{0, 30000, 900}, Case{123, 29871, 901}, Case{5000, 5900, 900}, Case{7, 12, 200},
                          Case{100, 101, 50}, Case{0, 30000, 1}}) {
        SCOPED_TRACE(testing::Message() << c.first << " " << c.last << " " << c.columns);
        std::vector<SampleHistory::Extremes> columns;
        history.columnExtremes(c.first, c.last, c.columns, columns);
        ASSERT_EQ(columns.size(), size_t(c.columns));
        const IndexScale scale{c.first, c.last - c.first, c.columns};
        EXPECT_EQ(scale.columnStart(0), c.first);
        EXPECT_EQ(scale.columnStart(c.columns), c.last);
        for (int x = 0; x < c.columns; ++x) {
            const qint64 start = scale.columnStart(x);
            const qint64 end = scale.columnStart(x + 1);
            ASSERT_LE(start, end);
            for (qint64 i = start; i < end; ++i)
                ASSERT_EQ(scale.columnOf(i), x) << "sample " << i;
            expectSame(columns[size_t(x)], scanned(samples, start, end));
            // The pointer at a column that holds samples names one of them.
            if (end > start) {
                EXPECT_GE(scale.indexAt(x), start);
                EXPECT_LT(scale.indexAt(x), end);
            }
        }
    }
}

TEST(SampleHistory, ClearStartsAfreshAndSaysSo)
{
    SampleHistory history;
    fill(history, 5000, 1);
    const unsigned before = history.generation();
    history.clear();
    EXPECT_NE(history.generation(), before);
    EXPECT_EQ(history.count(), 0);
    EXPECT_TRUE(history.extremes(0, 5000).empty());

    const std::vector<float> samples = fill(history, 300, 2);
    expectSame(history.extremes(0, 300), scanned(samples, 0, 300));
    expectSame(history.extremes(17, 290), scanned(samples, 17, 290));
    const unsigned filled = history.generation();
    history.append(1);
    EXPECT_EQ(history.generation(), filled);
}

// The whole program must keep a million records in 200 MB; the histories'
// share is four bytes a sample and a little for the levels.
TEST(SampleHistory, MillionSamplesTakeUnderFiveBytesEach)
{
    SampleHistory history;
    for (int i = 0; i < 1000000; ++i)
        history.append(float(i % 977));
    EXPECT_LT(history.bytesUsed(), 5u * 1000000u);
    EXPECT_GE(history.bytesUsed(), 4u * 1000000u);
    expectSame(history.extremes(0, 1000000), {0, 976});
}
