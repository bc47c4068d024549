// The summary's figures: the integration rules on drives whose answers are
// known, and where the extremes of a stretch lie.
#include "DriveAnalysis.h"
#include "DriveRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

// `perSecond` records in each of the seconds [from, to), all alike.
std::vector<DriveStep> steady(int from, int to, int perSecond, double speed, double volts = 100, double amps = 10)
{
    std::vector<DriveStep> steps;
    for (int s = from; s < to; ++s)
        for (int i = 0; i < perSecond; ++i)
            steps.push_back({s, speed, volts, amps});
    return steps;
}

std::vector<DriveStep> ramp()
{
    std::vector<DriveStep> steps;
    for (int s = 0; s <= 10; ++s)
        steps.push_back({s, 10.0 * s, 100, double(s)});
    return steps;
}

std::vector<DriveStep> operator+(std::vector<DriveStep> a, const std::vector<DriveStep>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(DriveSummary, IntegratesTrapezoidsOverEachRecordsOwnTime)
{
    const double nan = std::nan("");
    struct Row
    {
        const char* drive;
        std::vector<DriveStep> steps;
        qint64 records;
        double seconds, km, wh, whPerKm, movingSpeed;
        qint64 gaps;
        double tolerance;  // relative
    } table[] = {
        {"steady, a record a second", steady(0, 5401, 1, 36), 5401, 5400, 54.0, 1500, 27.7778, 36, 0, 1e-6},
        {"steady, 14 a second", steady(0, 5400, 14, 36), 75600, 5400, 54.0, 1500, 27.7778, 36, 0, 0.002},
        {"a ramp 0 to 100 km/h, 0 to 1000 W", ramp(), 11, 10, 500.0 / 3600, 5000.0 / 3600, 10, 50, 0, 1e-6},
        // Four records in second 0 at 0.00, 0.25, 0.50, 0.75 s: 72 km/h from 0.75 s on.
        {"a shared second", steady(0, 1, 3, 0) + steady(0, 2, 1, 72), 5, 1, 27.0 / 3600, 1000.0 / 3600, 37.037, 54, 0,
         1e-6},
        {"a 10 s step counts", steady(0, 1, 1, 36) + steady(10, 11, 1, 36), 2, 10, 0.1, 1000.0 / 360, 27.7778, 36, 0,
         1e-6},
        {"a 20 s gap does not", steady(0, 11, 1, 36) + steady(30, 41, 1, 36), 22, 40, 0.2, 2000.0 / 360, 27.7778, 36, 1,
         1e-6},
        {"one record", steady(7, 8, 1, 36), 1, 0, 0, 0, nan, nan, 0, 0},
        {"no records", {}, 0, nan, nan, nan, nan, nan, 0, 0},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.drive);
        Recording recording;
        DriveAnalysis analysis(recording);
        addDrive(recording, row.steps);
        const DriveSummary s = analysis.summarizeAll();
        EXPECT_EQ(s.records, row.records);
        EXPECT_EQ(s.gaps, row.gaps);
        const auto near = [&row](double actual, double expected) {
            if (std::isnan(expected))
                EXPECT_TRUE(std::isnan(actual)) << actual;
            else
                EXPECT_NEAR(actual, expected, std::abs(expected) * row.tolerance + 1e-9);
        };
        near(s.seconds, row.seconds);
        near(s.km, row.km);
        near(s.wh, row.wh);
        near(s.whPerKm, row.whPerKm);
        near(s.movingSpeed, row.movingSpeed);
    }
}

// A noisy drive, kept up with as it grows, and stretches of it: every min,
// max, average (Power's too), peak and the sag are those a plain walk over the records
// finds, at the first record that has them.
TEST(DriveSummary, FindsTheExtremesOfAnyStretchWhereAPlainWalkDoes)
{
    std::mt19937 random(5);
    const auto roll = [&random](int n) { return int(random() % unsigned(n)); };
    Recording recording;
    DriveAnalysis analysis(recording);
    std::vector<DriveStep> steps;
    for (int i = 0; i < 9000; ++i)
        steps.push_back({i / 3, roll(80) * 0.5, 90.0 + roll(20), roll(30) * 1.0, 100 + i / 50, 40 + i / 500, 99 - i / 100});
    addDrive(recording, {steps.begin(), steps.begin() + 4000});
    analysis.summarizeAll();
    addDrive(recording, {steps.begin() + 4000, steps.end()});
    const auto& h = recording.histories();
    for (int round = 0; round < 200; ++round) {
        const qint64 first = roll(9000), last = first + 1 + roll(int(9000 - first));
        const DriveSummary s = analysis.summarize(first, last);
        ASSERT_EQ(s.records, last - first);
        for (int c = 0; c < Time; ++c) {
            qint64 lo = first, hi = first;
            double sum = 0;
            for (qint64 i = first; i < last; ++i) {
                lo = h[c].at(i) < h[c].at(lo) ? i : lo;
                hi = h[c].at(i) > h[c].at(hi) ? i : hi;
                sum += h[c].at(i);
            }
            ASSERT_EQ(s.channel[c].minIndex, lo) << channels[c].name << " " << first << "-" << last;
            ASSERT_EQ(s.channel[c].maxIndex, hi) << channels[c].name;
            ASSERT_NEAR(s.channel[c].mean, sum / double(last - first), 1e-3);
        }
        qint64 peak = first, low = first, sag = s.channel[Current].maxIndex;
        const auto watts = [&h](qint64 i) { return h[Voltage].at(i) * h[Current].at(i); };
        double energy = 0;
        for (qint64 i = first; i < last; ++i) {
            peak = watts(i) > watts(peak) ? i : peak;
            low = watts(i) < watts(low) ? i : low;
            energy += watts(i);
            if (h[Current].at(i) == h[Current].at(sag) && h[Voltage].at(i) < h[Voltage].at(sag))
                sag = i;
        }
        ASSERT_EQ(s.peakPowerIndex, peak);
        ASSERT_EQ(s.power.maxIndex, peak);
        ASSERT_EQ(s.power.minIndex, low);
        ASSERT_NEAR(s.power.mean, energy / double(last - first), 1e-2);
        ASSERT_EQ(s.sagIndex, sag);
        ASSERT_NEAR(s.chargeNet, (h[Charge1].at(last - 1) - h[Charge1].at(first)) -
                                     (h[Charge2].at(last - 1) - h[Charge2].at(first)), 1e-4);
        ASSERT_EQ(s.batteryUsed, h[Battery].at(first) - h[Battery].at(last - 1));
    }
}
