#pragma once
// A simulated Car Computer on a pseudo-terminal and the program's port opened on it.

#include "CarLink.h"
#include "CarSimulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace linktest {

using Bytes = std::vector<std::uint8_t>;
using SteadyClock = std::chrono::steady_clock;

inline long millisecondsSince(SteadyClock::time_point start)
{
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start)
                    .count());
}

// FIONREAD on a pseudo-terminal lags a write by a moment: wait until it shows `count`.
inline int waitForAvailable(ZSerial& port, int count, int timeoutMs = 2000)
{
    const auto start = SteadyClock::now();
    int available = port.bytesAvailable();
    while (available >= 0 && available < count && millisecondsSince(start) < timeoutMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        available = port.bytesAvailable();
    }
    return available;
}

// Sets the time zone for one test and puts the old one back.
class TimeZone
{
public:
    explicit TimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        hadOld = old != nullptr;
        if (old)
            oldZone = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone()
    {
        if (hadOld)
            setenv("TZ", oldZone.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool hadOld = false;
    std::string oldZone;
};

// The Car Computer at the far end of an open, 4800-baud line.
class Line
{
public:
    explicit Line(carsim::Options options = carsim::Options()) : simulator(options)
    {
        started = simulator.start();
        if (started)
            opened = port.open(simulator.devicePath().c_str()) == 0 &&
                     port.setBaud(carlink::lineBaud) == 0;
    }
    bool ready() const { return started && opened; }

    // Waits until the simulator has received `count` bytes in all and returns them.
    Bytes traffic(std::size_t count)
    {
        simulator.waitForReceived(count, 3000);
        return simulator.received();
    }

    carsim::CarSimulator simulator;
    ZSerial port;

private:
    bool started = false;
    bool opened = false;
};

inline Bytes bytesOf(const unsigned char* data, std::size_t size)
{
    return Bytes(data, data + size);
}

} // namespace linktest
