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
    "  --live-records N      end the stream for good after N live records\n"
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
    "  --seed N              seed of the random bytes and of the chaos (default 1)\n"
    "Chaos (random faults on live records; P is the chance per record):\n"
    "  --chaos SEED          switch chaos on with this seed; unless given below:\n"
    "  --chaos-magic P       a wrong magic (default 0.002)\n"
    "  --chaos-short P       cut to 1-33 bytes (default 0.002)\n"
    "  --chaos-garbage P     1-64 random bytes before it, never 0x41 (default 0.002)\n"
    "  --chaos-silence P     the stream pauses 0.2-3 s before it (default 0.0002)\n"
    "  --chaos-unplug P      the line closes after it and reopens 0.3-2 s later; the\n"
    "                        stream goes on. Use --link, so that TralixGui finds the\n"
    "                        new line under the same name (default 0.0002)\n"
    "  Any --chaos-* option switches chaos on. At exit a summary of what was sent goes\n"
    "  to standard error.\n"
    "\n"
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
        Garbage, Seed, LiveRecords, ChaosSeed, ChaosMagic, ChaosShort, ChaosGarbage, ChaosSilence,
        ChaosUnplug, Help
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
        {"live-records", required_argument, nullptr, LiveRecords},
        {"chaos", required_argument, nullptr, ChaosSeed},
        {"chaos-magic", required_argument, nullptr, ChaosMagic},
        {"chaos-short", required_argument, nullptr, ChaosShort},
        {"chaos-garbage", required_argument, nullptr, ChaosGarbage},
        {"chaos-silence", required_argument, nullptr, ChaosSilence},
        {"chaos-unplug", required_argument, nullptr, ChaosUnplug},
        {"help", no_argument, nullptr, Help},
        {nullptr, 0, nullptr, 0},
    };

    carsim::Options options;
    options.pacing = true;
    bool traffic = false;
    int seed = 1;
    carsim::Chaos& chaos = options.faults.chaos;
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
        case LiveRecords: ok = toInt(optarg, 0, 1 << 30, options.liveRecordLimit); break;
        case ChaosSeed: ok = chaos.on = toInt(optarg, 0, 1 << 30, seed); break;
        case ChaosMagic: ok = chaos.on = toDouble(optarg, 0, 1, chaos.wrongMagic); break;
        case ChaosShort: ok = chaos.on = toDouble(optarg, 0, 1, chaos.shortRecord); break;
        case ChaosGarbage: ok = chaos.on = toDouble(optarg, 0, 1, chaos.garbage); break;
        case ChaosSilence: ok = chaos.on = toDouble(optarg, 0, 1, chaos.silence); break;
        case ChaosUnplug: ok = chaos.on = toDouble(optarg, 0, 1, chaos.unplug); break;
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

    if (chaos.on || options.liveRecordLimit > 0) {
        const carsim::SendLog log = simulator.sendLog();
        int wellFormed = 0, malformed = 0, lost = 0;
        for (const carsim::SentRecord& r : log.records) {
            wellFormed += r.departure == carsim::Departure::WellFormed;
            malformed += r.departure != carsim::Departure::WellFormed;
            lost += r.departure == carsim::Departure::WellFormed && r.lostOnLine;
        }
        std::fprintf(stderr,
                     "carsim: sent %zu records: %d well-formed (%d of them lost on the line), "
                     "%d malformed; %ld garbage bytes, %d silences, %d unplugs\n",
                     log.records.size(), wellFormed, lost, malformed, log.garbageBytes, log.silences,
                     log.unplugs);
    }
    return 0;
}
