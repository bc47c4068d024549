// How long File > Open takes into the whole window (reading the file, then the
// history, the live windows, the log and the first painting), and the peak
// memory it leaves. Prints figures; asserts nothing.
//
//   open_bench [folder]    writes its files there (default: $TMPDIR or /tmp)
//
// Each file is written, and each size opened, in a process of its own, so
// that each peak is the opening's alone.
#include "CsvExport.h"
#include "CsvImport.h"
#include "Gui.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double cpuSeconds()
{
    struct timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

long statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line[length] == ':')
            return std::atol(line.c_str() + length + 1);
    return -1;
}

// A log of one record a second from early July 2008, every value moving.
bool writeLog(const std::string& file, int count)
{
    RecordList records;
    time_t at = 1215000000;
    unsigned seed = 12345;
    for (int i = 0; i < count; ++i, ++at) {
        struct tm t;
        gmtime_r(&at, &t);
        Data d;
        const int calendar[6] = {t.tm_sec, t.tm_min, t.tm_hour, t.tm_mday, t.tm_mon + 1, t.tm_year};
        for (int b = 0; b < 6; ++b)
            d.bytes[2 + b] = static_cast<unsigned char>(calendar[b]);
        for (int offset = 8; offset < 26; ++offset) {
            seed = seed * 1103515245u + 12345u;
            d.bytes[offset] = static_cast<unsigned char>(seed >> 16);
        }
        records.push_back(d);
    }
    return writeCsv(records, ZString(file.c_str())).getNumber() == 0;
}

int openOnce(int argc, char** argv, const std::string& file, int count)
{
    if (!std::freopen("/dev/null", "w", stdout))  // the program's console lines are not the figures
        return 1;
    QApplication app(argc, argv);
    Gui gui(ZString("/nonexistent/open_bench"));
    gui.init("TralixGui");
    gui.resize(1010, 700);
    gui.show();
    QApplication::processEvents();
    const long rssBefore = statusKilobytes("VmRSS");

    // A timer stands for the user's clicks: the longest wait between two
    // turns of the window's events is how long a click could go unanswered.
    Clock::time_point lastTurn = Clock::now();
    double longestWait = 0;
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout, [&] {
        longestWait = std::max(longestWait, secondsSince(lastTurn));
        lastTurn = Clock::now();
    });
    turns.start(0);

    const Clock::time_point start = Clock::now();
    const double cpuStart = cpuSeconds();
    if (!gui.findChild<RecordFiles*>()->openFile(QString::fromStdString(file)))
        return 1;
    const double opened = secondsSince(start);
    longestWait = std::max(longestWait, secondsSince(lastTurn));
    turns.stop();
    QApplication::processEvents();  // the first painting of the whole history
    const double shown = secondsSince(start);
    const double cpu = cpuSeconds() - cpuStart;
    const long peak = statusKilobytes("VmHWM");

    std::fprintf(stderr,
                 "%8d records: open %.3f s, painted after %.3f s, CPU %.3f s: %.3f s per 200,000\n"
                 "          longest wait for the window's events %.0f ms\n"
                 "          memory: %.1f MB resident before, VmHWM %.1f MB after\n",
                 int(gui.contents().records.size()), opened, shown, cpu, shown * 200000 / count, longestWait * 1000,
                 rssBefore / 1024.0,
                 peak / 1024.0);
    return 0;
}

// The reading alone (readCsv), in a process of its own: the rest of Open's time is the filling.
int readOnce(const std::string& file)
{
    RecordList records;
    const Clock::time_point start = Clock::now();
    if (!readCsv(ZString(file.c_str()), records).ok)
        return 1;
    std::fprintf(stderr, "%8d records: reading alone %.3f s\n", int(records.size()), secondsSince(start));
    return 0;
}

template <class Work>
bool inChild(const Work& work)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(work());
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = argc > 1 ? argv[1] : tmp ? tmp : "/tmp";
    std::fprintf(stderr, "File > Open into the window, 1010x700, offscreen (files in %s)\n", folder.c_str());
    for (int count : {100000, 1000000}) {
        const std::string file = folder + "/open_bench." + std::to_string(long(getpid())) + ".csv";
        const bool done = inChild([&] { return writeLog(file, count) ? 0 : 1; }) &&
                          inChild([&] { return readOnce(file); }) &&
                          inChild([&] { return openOnce(argc, argv, file, count); });
        std::remove(file.c_str());
        if (!done) {
            std::fprintf(stderr, "open_bench: opening %d records failed\n", count);
            return 1;
        }
    }
    return 0;
}
