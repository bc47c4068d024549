// How fast the main window takes records, and whether a paced download is
// ever slower than the line itself. Prints figures; asserts nothing.
//
//   record_bench [--records N]     the whole record step, unpaced (default 100000 records)
//   record_bench --paced-download  2048 records at 4800 baud against the line's own time
#include "CarSimulator.h"
#include "Gui.h"
#include "WDataDirectory.h"

#include <QApplication>
#include <QListWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0)
            return std::atol(line.c_str() + length + 1);
    return -1;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Takes records until `count` more have arrived; the time per record of each poll tick.
std::vector<double> takeRecords(Gui& gui, int count)
{
    std::vector<double> perRecord;
    const int target = int(gui.contents().records.size()) + count;
    while (int(gui.contents().records.size()) < target) {
        const int before = int(gui.contents().records.size());
        const Clock::time_point start = Clock::now();
        gui.doData();
        const int taken = int(gui.contents().records.size()) - before;
        if (taken > 0)
            perRecord.push_back(secondsSince(start) * 1000.0 / taken);
    }
    return perRecord;
}

int recordStep(int records)
{
    carsim::Options options;
    options.liveRate = 0;  // back to back, unpaced: the window is the bottleneck
    options.logLiveRecords = false;
    carsim::CarSimulator sim(options);
    if (!sim.start()) {
        std::fprintf(stderr, "record_bench: %s\n", sim.errorText().c_str());
        return 1;
    }
    if (!std::freopen("/dev/null", "w", stdout))  // the program's console lines are not the figures
        return 1;
    Gui gui(ZString(sim.devicePath().c_str()));
    gui.init("TralixGui");
    gui.resize(1010, 700);
    gui.show();
    QApplication::processEvents();
    gui.liveData();

    const int sample = std::min(1000, records / 4);
    const long rssBefore = statusKilobytes("VmRSS:");
    const Clock::time_point start = Clock::now();
    const std::vector<double> early = takeRecords(gui, sample);
    takeRecords(gui, records - 2 * sample);
    const std::vector<double> late = takeRecords(gui, sample);
    const double elapsed = secondsSince(start);

    std::fprintf(stderr, "record step, 10 graphs of 2048 samples and a log line, 1010x700, offscreen\n");
    std::fprintf(stderr, "  records:                 %d\n", int(gui.contents().records.size()));
    std::fprintf(stderr, "  records per second:      %.0f\n", records / elapsed);
    std::fprintf(stderr, "  median ms per record:    %.3f (first %d), %.3f (last %d)\n", median(early), sample,
                 median(late), sample);
    std::fprintf(stderr, "  memory:                  %.1f MB resident before, %.1f MB peak after\n",
                 rssBefore / 1024.0, statusKilobytes("VmHWM:") / 1024.0);
    return 0;
}

int pacedDownload()
{
    carsim::Options options;
    options.pacing = true;
    options.directorySlots = 0;  // no directory: "All Data" is the whole store
    options.blocks = 1;
    options.recordsPerBlock = 2048;
    carsim::CarSimulator sim(options);
    if (!sim.start()) {
        std::fprintf(stderr, "record_bench: %s\n", sim.errorText().c_str());
        return 1;
    }
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;
    Gui gui(ZString(sim.devicePath().c_str()));
    gui.init("TralixGui");
    gui.resize(1010, 700);
    gui.show();

    gui.fetchData();
    gui.findChild<WDataDirectory*>()->rows()->item(0)->setSelected(true);
    const Clock::time_point start = Clock::now();
    gui.findChild<WDataDirectory*>()->download();
    const double elapsed = secondsSince(start);

    // Per record 34 bytes come down and one 'n' goes up: 35 bytes of 10 bits.
    const double lineSeconds = 2048 * 35 * 10.0 / 4800;
    std::fprintf(stderr, "paced download of 2048 records at 4800 baud\n");
    std::fprintf(stderr, "  records:        %d\n", int(gui.contents().records.size()));
    std::fprintf(stderr, "  took:           %.1f s\n", elapsed);
    std::fprintf(stderr, "  line time:      %.1f s\n", lineSeconds);
    std::fprintf(stderr, "  over the line:  %+.2f %%\n", (elapsed / lineSeconds - 1) * 100);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    int records = 100000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--paced-download") == 0)
            return pacedDownload();
        if (std::strcmp(argv[i], "--records") == 0 && i + 1 < argc)
            records = std::max(100, std::atoi(argv[++i]));
    }
    return recordStep(records);
}
