// The drive summary over a recording of 100,000 and 1,000,000 records, 14 to
// a second as live: one summary of the whole recording and of a stretch in
// its middle, and what taking in every record costs the engine; then the X-Y
// plot of all of it drawn anew (density and painting) into a picture of a
// typical window's size. A plain program: it prints figures.
#include "DriveAnalysis.h"
#include "DriveRecords.h"
#include "XyPlotPicture.h"
#include "XyQuantities.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Each round draws the density anew: the stretch moves by a record.
void measureXyPlot(const Recording& recording)
{
    const QSize size(900, 600);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    XyPlotPicture plot(recording.histories());
    const struct
    {
        const char* what;
        XyPlotPicture::Choice choice;
    } plots[] = {{"Voltage against Current by Time", {Current, Voltage, Time}},
                 {"Power against Speed by Battery", {Speed, xyPower, Battery}}};
    for (const auto& p : plots) {
        plot.setChoice(p.choice);
        std::vector<double> times;
        for (int round = 0; round < 11; ++round) {
            plot.setStretch(round % 2, recording.count(), QStringLiteral("all"));
            const auto at = std::chrono::steady_clock::now();
            image.fill(Qt::white);
            QPainter painter(&image);
            plot.paint(painter, image.rect());
            painter.end();
            times.push_back(msSince(at));
        }
        std::sort(times.begin(), times.end());
        std::printf("%8lld records: X-Y plot %s at %dx%d: %.1f ms median, %.1f ms best of 11 (%lld points)\n",
                    static_cast<long long>(recording.count()), p.what, size.width(), size.height(), times[5],
                    times[0], static_cast<long long>(plot.pointsDrawn()));
    }
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
    // The first summary asked takes every record in: what the panel costs
    // when first shown over a long recording.
    const auto start = std::chrono::steady_clock::now();
    DriveAnalysis late(recording);
    late.summarizeAll();
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
    std::printf("%8lld records: the first summary, taking them all in, %.0f ms; then the summary of all %.3f ms, "
                "of the middle third %.3f ms (best of 20); %.1f km, %.0f Wh\n",
                static_cast<long long>(records), intake, best[0], best[1], s.km, s.wh);
    measureXyPlot(recording);
}

} // namespace

int main(int argc, char** argv)
{
    // The plot paints text, which needs a platform: the offscreen one will do.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    measure(100000);
    measure(1000000);
    return 0;
}
