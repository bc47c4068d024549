// carsim_pacing [records] [live seconds]: how fast the paced simulator really is.
// A 4800-baud 8N1 line carries 480 bytes per second; a data transfer also spends one
// byte time per record on the request 'n', so it peaks at 34 of every 35 byte times.

#include "CarLink.h"
#include "CarSimulator.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using SteadyClock = std::chrono::steady_clock;

double secondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int records = argc > 1 ? std::atoi(argv[1]) : 256;
    const double liveSeconds = argc > 2 ? std::atof(argv[2]) : 5;
    if (records < 1 || records > 65535 || liveSeconds <= 0) {
        std::fprintf(stderr, "Usage: carsim_pacing [records 1-65535] [live seconds]\n");
        return 2;
    }

    carsim::Options options;
    options.pacing = true;
    options.liveRate = 0;  // live records back to back
    options.blocks = 1;
    options.recordsPerBlock = carsim::defaultPositions;
    carsim::CarSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "carsim_pacing: %s\n", simulator.errorText().c_str());
        return 1;
    }
    ZSerial port;
    if (port.open(simulator.devicePath().c_str()) != 0 || port.setBaud(carlink::lineBaud) != 0) {
        std::fprintf(stderr, "carsim_pacing: cannot open %s\n", simulator.devicePath().c_str());
        return 1;
    }

    // A data transfer, the way a download runs it.
    Data record;
    long bytes = 0;
    auto start = SteadyClock::now();
    carlink::startDataTransfer(port, 0, std::uint16_t(records));
    for (int i = 0; i < records; ++i) {
        int got = carlink::readDataRecord(port, record);
        if (got <= 0)
            break;
        bytes += got;
        carlink::requestNext(port);
    }
    double elapsed = secondsSince(start);
    std::printf("transfer: %d records, %ld bytes in %.2f s: %.1f bytes/s received "
                "(%.1f with the requests; line 480)\n",
                records, bytes + 1, elapsed, (bytes + 1) / elapsed,
                (bytes + 1 + records + 7) / elapsed);

    // The live stream, timed from its first byte.
    carlink::sendLiveStart(port);
    unsigned char buffer[carlink::dataRecordSize];
    if (port.read(buffer, 1) != 1) {
        std::fprintf(stderr, "carsim_pacing: no live data\n");
        return 1;
    }
    bytes = 0;
    start = SteadyClock::now();
    while (secondsSince(start) < liveSeconds) {
        int got = port.read(buffer, sizeof buffer);
        if (got <= 0)
            break;
        bytes += got;
    }
    elapsed = secondsSince(start);
    carlink::sendLiveStop(port);
    std::printf("live: %ld bytes in %.2f s: %.1f bytes/s (line 480), %.2f records/s\n", bytes,
                elapsed, bytes / elapsed, bytes / elapsed / carlink::dataRecordSize);
    return 0;
}
