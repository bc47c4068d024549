// How long opening a cardata.csv takes, and the memory the records then hold.
// Prints figures; asserts nothing.
//
//   csv_read_bench [folder]    writes its files there (default: $TMPDIR or /tmp)
//
// Each file is made by Save's own export in a child process, so the reading
// process's peak memory is the reading's alone.
#include "CsvExport.h"
#include "CsvImport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int repeats = 3;

// On a shared machine the wall clock counts the others' work too.
double cpuSeconds()
{
    struct timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Timing
{
    double wall = 1e9;
    double cpu = 1e9;
};

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

// A day's log as the Car Computer keeps it: one record a second, every value moving.
void writeLog(const std::string& file, int count)
{
    RecordList records;
    time_t at = 1215000000;  // early July 2008: summer time in Berlin
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
    if (writeCsv(records, ZString(file.c_str())).getNumber() != 0) {
        std::fprintf(stderr, "csv_read_bench: cannot write %s\n", file.c_str());
        std::exit(1);
    }
}

bool makeFile(const std::string& file, int count)
{
    const pid_t child = fork();
    if (child == 0) {
        writeLog(file, count);
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Reads the file `times` times into `records`; the fastest times in seconds.
Timing readBest(const std::string& file, RecordList& records, int times)
{
    Timing best;
    for (int i = 0; i < times; ++i) {
        const Clock::time_point start = Clock::now();
        const double cpuStart = cpuSeconds();
        const CsvReadResult result = readCsv(ZString(file.c_str()), records);
        best.cpu = std::min(best.cpu, cpuSeconds() - cpuStart);
        best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - start).count());
        if (!result.ok) {
            std::fprintf(stderr, "csv_read_bench: %s refused: %s\n", file.c_str(), result.reason.cStr());
            std::exit(1);
        }
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = argc > 1 ? argv[1] : tmp ? tmp : "/tmp";

    std::printf("Opening cardata.csv (file in %s; a record is %zu bytes)\n", folder.c_str(), sizeof(Data));
    for (int count : {100000, 1000000}) {
        const std::string file = folder + "/csv_read_bench." + std::to_string(long(getpid())) + ".csv";
        if (!makeFile(file, count)) {
            std::fprintf(stderr, "csv_read_bench: cannot make %s\n", file.c_str());
            return 1;
        }
        struct stat status;
        stat(file.c_str(), &status);

        const std::size_t heapBefore = mallinfo2().uordblks;
        RecordList records;
        const Timing first = readBest(file, records, 1);
        const std::size_t heapHeld = mallinfo2().uordblks;
        const long peakFirst = statusKilobytes("VmHWM");
        const Timing best = readBest(file, records, repeats);
        const long peakAgain = statusKilobytes("VmHWM");

        std::printf("%8d records (%5.1f MB): first open %.3f s (CPU %.3f s); best of %d %.3f s (CPU %.3f s): "
                    "%.0f records/s, %.3f s per 200,000\n",
                    int(records.size()), double(status.st_size) / 1e6, first.wall, first.cpu, repeats, best.wall,
                    best.cpu, count / best.wall, best.wall * 200000 / count);
        std::printf("          memory: %.1f bytes of heap per record held; VmHWM %.1f MB after the first open, "
                    "%.1f MB after opening again while holding them\n",
                    double(heapHeld - heapBefore) / count, peakFirst / 1024.0, peakAgain / 1024.0);
        std::remove(file.c_str());
    }
    return 0;
}
