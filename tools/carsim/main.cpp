// carsim: a Car Computer on a pseudo-terminal, for running TralixGui without the vehicle.
// The first line of standard output is the path to open; notes go to standard error.

#include "CarSimulator.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <getopt.h>
#include <pthread.h>

namespace {

const char usage[] =
    "Usage: carsim [options]\n"
    "A Car Computer on a pseudo-terminal. Prints the path to open (the --link path if\n"
    "given) on the first line of standard output, then answers until SIGINT or SIGTERM.\n"
    "\n"
    "Line:\n"
    "  --link PATH           publish the line as the symbolic link PATH (removed on exit)\n"
    "  --no-pacing           move bytes as fast as the pseudo-terminal takes them\n"
    "  --baud N              speed of the paced line (default 4800)\n"
    "  --traffic             print every byte received on standard error\n"
    "Live data:\n"
    "  --rate N              live records per second (default 4; 0: as fast as the line allows)\n"
    "  --no-logging          do not log live records into the store\n"
    "Store:\n"
    "  --blocks N            drives already logged (default 3)\n"
    "  --block-records N     records per drive (default 100)\n"
    "  --dir-slots N         directory slots, DirNumber (default 64; 0: no directory)\n"
    "  --positions N         data positions of the store (default 2049)\n"
    "Faults (K counts the Data records sent):\n"
    "  --bad-magic-every K   every K-th record has a wrong magic\n"
    "  --short-every K       every K-th record is cut short\n"
    "  --short-bytes N       length of a short record (default 20)\n"
    "  --silent-after K      answer nothing after the K-th record\n"
    "  --unplug-after K      close the line after the K-th record\n"
    "  --reopen-after MS     open a new line MS milliseconds after it was closed\n"
    "  --garbage P           a random byte before a record, with probability P (0-1)\n"
    "  --seed N              seed of the random bytes (default 1)\n"
    "  --help                this text\n";

bool toInt(const char* text, long low, long high, int& value)
{
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || end == text || *end || v < low || v > high)
        return false;
    value = int(v);
    return true;
}

bool toDouble(const char* text, double low, double high, double& value)
{
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text, &end);
    if (errno || end == text || *end || !(v >= low && v <= high))
        return false;
    value = v;
    return true;
}

void printTraffic(std::uint8_t b)
{
    std::fprintf(stderr, "carsim: received 0x%02X %c\n", b, std::isprint(b) ? char(b) : '.');
}

} // namespace

int main(int argc, char** argv)
{
    enum {
        Link = 1000, NoPacing, Baud, Traffic, Rate, NoLogging, Blocks, BlockRecords, DirSlots,
        Positions, BadMagic, ShortEvery, ShortBytes, SilentAfter, UnplugAfter, ReopenAfter,
        Garbage, Seed, Help
    };
    static const struct option longOptions[] = {
        {"link", required_argument, nullptr, Link},
        {"no-pacing", no_argument, nullptr, NoPacing},
        {"baud", required_argument, nullptr, Baud},
        {"traffic", no_argument, nullptr, Traffic},
        {"rate", required_argument, nullptr, Rate},
        {"no-logging", no_argument, nullptr, NoLogging},
        {"blocks", required_argument, nullptr, Blocks},
        {"block-records", required_argument, nullptr, BlockRecords},
        {"dir-slots", required_argument, nullptr, DirSlots},
        {"positions", required_argument, nullptr, Positions},
        {"bad-magic-every", required_argument, nullptr, BadMagic},
        {"short-every", required_argument, nullptr, ShortEvery},
        {"short-bytes", required_argument, nullptr, ShortBytes},
        {"silent-after", required_argument, nullptr, SilentAfter},
        {"unplug-after", required_argument, nullptr, UnplugAfter},
        {"reopen-after", required_argument, nullptr, ReopenAfter},
        {"garbage", required_argument, nullptr, Garbage},
        {"seed", required_argument, nullptr, Seed},
        {"help", no_argument, nullptr, Help},
        {nullptr, 0, nullptr, 0},
    };

    carsim::Options options;
    options.pacing = true;
    bool traffic = false;
    int seed = 1;
    int option;
    bool ok = true;
    while (ok && (option = getopt_long(argc, argv, "", longOptions, nullptr)) != -1) {
        switch (option) {
        case Link: options.linkPath = optarg; break;
        case NoPacing: options.pacing = false; break;
        case Baud: ok = toInt(optarg, 50, 4000000, options.baud); break;
        case Traffic: traffic = true; break;
        case Rate: ok = toDouble(optarg, 0, 100000, options.liveRate); break;
        case NoLogging: options.logLiveRecords = false; break;
        case Blocks: ok = toInt(optarg, 0, 65535, options.blocks); break;
        case BlockRecords: ok = toInt(optarg, 0, 1000000, options.recordsPerBlock); break;
        case DirSlots: ok = toInt(optarg, 0, 65535, options.directorySlots); break;
        case Positions: ok = toInt(optarg, 0, 10000000, options.positions); break;
        case BadMagic: ok = toInt(optarg, 0, 1 << 30, options.faults.wrongMagicEvery); break;
        case ShortEvery: ok = toInt(optarg, 0, 1 << 30, options.faults.shortRecordEvery); break;
        case ShortBytes: ok = toInt(optarg, 0, 34, options.faults.shortRecordBytes); break;
        case SilentAfter: ok = toInt(optarg, 0, 1 << 30, options.faults.silentAfter); break;
        case UnplugAfter: ok = toInt(optarg, 0, 1 << 30, options.faults.unplugAfter); break;
        case ReopenAfter: ok = toInt(optarg, 0, 1 << 30, options.faults.reopenAfterMs); break;
        case Garbage: ok = toDouble(optarg, 0, 1, options.faults.garbageProbability); break;
        case Seed: ok = toInt(optarg, 0, 1 << 30, seed); break;
        case Help: std::fputs(usage, stdout); return 0;
        default: ok = false; break;
        }
        if (!ok && option >= Link)
            std::fprintf(stderr, "carsim: bad value for --%s: %s\n", longOptions[option - Link].name,
                         optarg);
    }
    if (!ok || optind < argc) {
        std::fputs(usage, stderr);
        return 2;
    }
    options.faults.seed = unsigned(seed);

    // The simulator's thread inherits this mask, so the signals reach only sigtimedwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    carsim::CarSimulator simulator(options);
    if (traffic)
        simulator.setTrafficListener(printTraffic);
    if (!simulator.start()) {
        std::fprintf(stderr, "carsim: %s\n", simulator.errorText().c_str());
        return 1;
    }
    std::string device = simulator.devicePath();
    std::printf("%s\n", options.linkPath.empty() ? device.c_str() : options.linkPath.c_str());
    std::fflush(stdout);

    const struct timespec tick = {0, 200 * 1000 * 1000};
    for (;;) {
        int signal = sigtimedwait(&stopSignals, nullptr, &tick);
        if (signal == SIGINT || signal == SIGTERM)
            break;
        const std::string now = simulator.devicePath();
        if (now != device) {
            if (now.empty())
                std::fprintf(stderr, "carsim: the line is closed\n");
            else
                std::fprintf(stderr, "carsim: the line is open again: %s\n", now.c_str());
            device = now;
        }
    }
    simulator.stop();
    return 0;
}
