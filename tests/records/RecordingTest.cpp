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

bool zeroFrom(const std::vector<float>& window, int first)
{
    return std::all_of(window.begin() + first, window.end(), [](float v) { return v == 0; });
}

} // namespace

// The windows fill from 0, zero-filled, and slide once full; a restart zeroes
// them and keeps the records; Time counts from the first record ever, which a
// new run does not reset; a batch is told once.
TEST(Recording, WindowsFillSlideAndRestartAndTimeCountsFromTheFirstRecordEver)
{
    Recording held;
    std::vector<int> told;  // appended(n) as n, windowsRestarted as -1
    QObject::connect(&held, &Recording::appended, [&](int n) { told.push_back(n); });
    QObject::connect(&held, &Recording::windowsRestarted, [&] { told.push_back(-1); });
    const std::vector<float>& speed = held.live().window(Speed);
    const std::vector<float>& time = held.live().window(Time);
    ASSERT_EQ(speed.size(), 2048u);
    held.add(numbered(1), 1001);
    EXPECT_FLOAT_EQ(speed[0], 0.01f);
    EXPECT_TRUE(zeroFrom(speed, 1));
    std::vector<Recording::Arrival> batch;
    for (int i = 2; i <= 2049; ++i)
        batch.push_back({numbered(i), 1000 + i});
    held.add(batch);
    held.add(std::vector<Recording::Arrival>());
    EXPECT_EQ(told, (std::vector<int>{1, 2048}));
    EXPECT_EQ(held.live().sampleIndex(), 2048);
    EXPECT_FLOAT_EQ(speed[2047], 20.49f) << "the newest sample is last";
    EXPECT_FLOAT_EQ(speed[0], 0.02f) << "position 0 holds what was sample 2";
    EXPECT_FLOAT_EQ(time[0], 1.0f);
    EXPECT_EQ(held.histories()[Speed].count(), 2049);

    held.restartWindows();
    EXPECT_EQ(told.back(), -1);
    EXPECT_TRUE(std::all_of(held.live().all(), held.live().all() + channelCount,
                            [](const std::vector<float>& window) { return zeroFrom(window, 0); }));
    EXPECT_EQ(held.count(), 2049) << "the records and histories stay";
    EXPECT_EQ(held.histories()[Time].count(), 2049);
    held.add(numbered(3000), 4001);
    EXPECT_FLOAT_EQ(time[0], 3000.0f);
    EXPECT_EQ(held.live().sampleIndex(), 1);

    held.clear();
    EXPECT_EQ(held.count() + held.histories()[Time].count() + held.live().sampleIndex(), 0);
    EXPECT_TRUE(zeroFrom(time, 0));
    held.add(numbered(5), 1031);
    EXPECT_FLOAT_EQ(held.sample(0, Time), 30.0f) << "a new run counts from the first record ever";
    EXPECT_FLOAT_EQ(time[0], 30.0f);
}

// The histories keep what cardata.csv writes; the live windows divide
// Throttle and MotorSpeed as whole numbers.
TEST(Recording, HistoriesKeepExactValuesAndTheWindowsTheLiveOnes)
{
    Recording held;
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
        EXPECT_FLOAT_EQ(held.live().window(row.channel)[0], row.live) << channels[row.channel].name;
    }
}

// What came is unsaved until saved; an opened file takes the place of
// everything, its Time counting its own first record, the windows showing its
// newest 2048, nothing unsaved; a clear leaves nothing.
TEST(Recording, AFileReplacesEverythingAndOnlyWhatCameIsUnsaved)
{
    Recording held;
    int replaced = 0, cleared = 0;
    QObject::connect(&held, &Recording::replaced, [&] { ++replaced; });
    QObject::connect(&held, &Recording::cleared, [&] { ++cleared; });
    EXPECT_FALSE(held.hasUnsaved());
    held.add(numbered(0), 1000);
    EXPECT_TRUE(held.hasUnsaved());
    RecordList file;
    for (int i = 0; i < 3000; ++i)
        file.push_back(numbered(7200 + 2 * i));
    held.replace(std::move(file));
    EXPECT_EQ(replaced, 1);
    EXPECT_FALSE(held.hasUnsaved());
    EXPECT_EQ(held.histories()[Speed].count(), 3000);
    EXPECT_FLOAT_EQ(held.sample(0, Time), 0.0f);
    EXPECT_FLOAT_EQ(held.sample(2999, Time), 5998.0f);
    EXPECT_EQ(held.live().sampleIndex(), 2048);
    EXPECT_FLOAT_EQ(held.live().window(Time)[0], 2.0f * (3000 - 2048));
    EXPECT_FLOAT_EQ(held.live().window(Speed)[2047], held.sample(2999, Speed));

    held.add(numbered(1), 9000);
    held.markSaved();
    EXPECT_FALSE(held.hasUnsaved());
    held.add(numbered(2), 9001);
    held.clear();
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(held.count(), 0);
    EXPECT_FALSE(held.hasUnsaved());
}
