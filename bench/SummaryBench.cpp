// The drive summary over a recording of 100,000 and 1,000,000 records, 14 to
// a second as live: one summary of the whole recording and of a stretch in
// its middle, and what taking in every record costs the engine. A plain program: it prints
// figures.
#include "DriveAnalysis.h"
#include "DriveRecords.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <random>

namespace {

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void measure(qint64 records)
{
    std::mt19937 random(11);
    const auto roll = [&random](int n) { return int(random() % unsigned(n)); };
    Recording recording;
    DriveAnalysis analysis(recording);
    std::vector<DriveStep> steps;
    for (qint64 i = 0; i < records; ++i) {
        steps.push_back({int(i / 14), 30 + roll(400) * 0.1, 95 + roll(100) * 0.1, roll(3000) * 0.01,
                         int(i / 5000), int(i / 20000), int(100 - i * 90 / records)});
        if (steps.size() == 14) {  // one live tick's batch
            addDrive(recording, steps);
            steps.clear();
        }
    }
    addDrive(recording, steps);
    // What following the recording cost, all at once: the records taken in anew.
    const auto start = std::chrono::steady_clock::now();
    DriveAnalysis late(recording);
    const double intake = msSince(start);
    double best[2] = {1e9, 1e9};
    DriveSummary s;
    for (int round = 0; round < 20; ++round) {
        auto at = std::chrono::steady_clock::now();
        s = analysis.summarizeAll();
        best[0] = std::min(best[0], msSince(at));
        at = std::chrono::steady_clock::now();
        analysis.summarize(records / 3 + round, 2 * records / 3);
        best[1] = std::min(best[1], msSince(at));
    }
    std::printf("%8lld records: taking them all in %.0f ms; summary of all %.3f ms, "
                "of the middle third %.3f ms (best of 20); %.1f km, %.0f Wh\n",
                static_cast<long long>(records), intake, best[0], best[1], s.km, s.wh);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    measure(100000);
    measure(1000000);
    return 0;
}
