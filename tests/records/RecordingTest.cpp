// What the window holds, without a window: the live windows, the Time rule, the
// histories' exact values, and what each change tells the views.
#include "Recording.h"
#include "TestRecords.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A record of second `i` of 2009 whose Speed is i / 100.
Data numbered(int i)
{
    Reading r;
    r.speed = i;
    return decodedRecord({2009, 1, 1 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60}, r);
}

class RecordingRules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&held, &Recording::appended, [this](int n) { told.push_back(n); });
        QObject::connect(&held, &Recording::replaced, [this] { told.push_back(-1); });
        QObject::connect(&held, &Recording::cleared, [this] { told.push_back(-2); });
        QObject::connect(&held, &Recording::windowsRestarted, [this] { told.push_back(-3); });
    }
    const std::vector<float>& window(int channel) const { return held.live().window(channel); }
    bool zeroFrom(int channel, int first) const
    {
        return std::all_of(window(channel).begin() + first, window(channel).end(), [](float v) { return v == 0; });
    }

    Recording held;
    std::vector<int> told;  // appended(n) as n; replaced -1, cleared -2, windowsRestarted -3
};

} // namespace

TEST_F(RecordingRules, WindowsFillFromZeroSlideOnceFullAndRestartKeepingTheRecords)
{
    ASSERT_EQ(window(Speed).size(), 2048u);
    EXPECT_TRUE(zeroFrom(Speed, 0));
    for (int i = 1; i <= 2048; ++i)
        held.add(numbered(i), 1000 + i);
    EXPECT_EQ(held.live().sampleIndex(), 2048);
    EXPECT_FLOAT_EQ(window(Speed)[2047], 20.48f);

    held.add(numbered(2049), 3049);
    EXPECT_EQ(held.live().sampleIndex(), 2048);
    EXPECT_FLOAT_EQ(window(Speed)[2047], 20.49f) << "the newest sample is last";
    EXPECT_FLOAT_EQ(window(Speed)[0], 0.02f) << "position 0 holds what was sample 2";
    EXPECT_FLOAT_EQ(window(Time)[0], 1.0f);
    EXPECT_EQ(held.count(), 2049) << "the records and histories keep every one";
    EXPECT_EQ(held.histories()[Speed].count(), 2049);
    EXPECT_EQ(told, std::vector<int>(2049, 1));

    told.clear();
    held.restartWindows();
    EXPECT_EQ(told, std::vector<int>{-3});
    EXPECT_EQ(held.live().sampleIndex(), 0);
    for (int channel = 0; channel < channelCount; ++channel)
        EXPECT_TRUE(zeroFrom(channel, 0)) << channels[channel].name;
    EXPECT_EQ(held.count(), 2049);
    EXPECT_EQ(held.histories()[Time].count(), 2049);
    held.add(numbered(3000), 4000);
    EXPECT_FLOAT_EQ(window(Speed)[0], 30.0f);
    EXPECT_TRUE(zeroFrom(Speed, 1));
}

// The histories keep what cardata.csv writes; the live windows divide
// Throttle and MotorSpeed as whole numbers.
TEST_F(RecordingRules, HistoriesKeepExactValuesAndTheWindowsTheLiveOnes)
{
    Reading r = exampleReading();
    r.throttle = 872;
    r.motorSpeed = 15009;
    held.add(decodedRecord(exampleStamp, r), 5000);
    const struct { Channel channel; float exact, live; } table[] = {
        {Throttle, 87.2f, 87}, {MotorSpeed, 1500.9f, 1500}, {Speed, 45.67f, 45.67f}, {Voltage, 12.34f, 12.34f},
        {Current, 1.5f, 1.5f}, {Charge1, 10, 10}, {Charge2, 20.5f, 20.5f}, {Battery, 87, 87},
        {Temperature, 22.5f, 22.5f}, {Time, 0, 0},
    };
    for (const auto& row : table) {
        EXPECT_FLOAT_EQ(held.sample(0, row.channel), row.exact) << channels[row.channel].name;
        EXPECT_FLOAT_EQ(window(row.channel)[0], row.live) << channels[row.channel].name;
    }
}

// Time counts from the first record ever received; a new run does not reset it.
TEST_F(RecordingRules, TimeCountsFromTheFirstRecordEverAndABatchIsToldOnce)
{
    EXPECT_FALSE(held.hasUnsaved());
    held.add(numbered(0), 1000);
    EXPECT_TRUE(held.hasUnsaved());
    held.markSaved();
    EXPECT_FALSE(held.hasUnsaved());
    held.add(std::vector<Recording::Arrival>{{numbered(1), 1010}, {numbered(2), 1015}, {numbered(3), 1015}});
    held.add(std::vector<Recording::Arrival>{});
    EXPECT_EQ(told, (std::vector<int>{1, 3})) << "one appended(3) for the batch, none for an empty one";
    EXPECT_TRUE(held.hasUnsaved());
    EXPECT_FLOAT_EQ(held.sample(2, Time), 15.0f);
    EXPECT_FLOAT_EQ(window(Time)[3], 15.0f);

    held.clear();
    EXPECT_EQ(told.back(), -2);
    EXPECT_EQ(held.count(), 0);
    EXPECT_EQ(held.histories()[Time].count(), 0);
    EXPECT_EQ(held.live().sampleIndex(), 0);
    EXPECT_TRUE(zeroFrom(Time, 0));
    EXPECT_FALSE(held.hasUnsaved());
    held.add(numbered(4), 1030);
    EXPECT_EQ(held.timeOrigin(), 1000);
    EXPECT_FLOAT_EQ(held.sample(0, Time), 30.0f);
    EXPECT_FLOAT_EQ(window(Time)[0], 30.0f);
}

// An opened file takes the place of everything held: its Time counts its own
// first record, the windows show its newest 2048 and nothing is unsaved.
TEST_F(RecordingRules, ReplaceTakesAFileInPlaceOfEverything)
{
    held.add(numbered(0), 1000);
    RecordList file;
    for (int i = 0; i < 3000; ++i)
        file.push_back(numbered(7200 + 2 * i));
    held.replace(std::move(file));

    EXPECT_EQ(told.back(), -1);
    EXPECT_FALSE(held.hasUnsaved());
    EXPECT_EQ(held.count(), 3000);
    EXPECT_EQ(held.histories()[Speed].count(), 3000);
    EXPECT_FLOAT_EQ(held.sample(0, Time), 0.0f);
    EXPECT_FLOAT_EQ(held.sample(2999, Time), 5998.0f);
    EXPECT_EQ(held.live().sampleIndex(), 2048);
    EXPECT_FLOAT_EQ(window(Time)[0], 2.0f * (3000 - 2048));
    EXPECT_FLOAT_EQ(window(Speed)[2047], held.sample(2999, Speed));
}
