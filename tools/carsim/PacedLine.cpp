#include "PacedLine.h"

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace carsim {

namespace {

using std::chrono::milliseconds;

// An unplug after a record waits until the program has taken it (the
// pseudo-terminal would throw it away), but no longer than this.
constexpr milliseconds unplugGrace(1000);
// A write to the master shows in the slave's queue only a moment later.
constexpr milliseconds queueSettles(50);
// The reader's queue of a pseudo-terminal takes 4095 bytes (4096, one kept free).
// The line is never filled beyond it: more would wait unseen in the pseudo-terminal's
// own buffers, where FIONREAD does not count it and a hang-up throws it away.
constexpr int readerQueueRoom = 4095;
// The most a pseudo-terminal holds between its two ends besides the reader's queue
// (its buffers take about 20 KiB before a write blocks), with room to spare.
constexpr std::uint64_t lineHoldsAtMost = 64 * 1024;
// How often a full line is looked at again.
constexpr milliseconds fullLineRetry(5);

} // namespace

bool PacedLine::open(const std::string& linkPath, TimePoint now, std::string& error)
{
    if (!device.open(linkPath, error))
        return false;
    lineStart = queuedTotal - output.size();
    inputLineFree = outputLineFree = now;
    return true;
}

// A hang-up throws away what the pseudo-terminal still held for the program, and
// nothing still queued here ever leaves. Where it cannot be known how much the line
// held, less is counted as delivered: a record counted lost may still have arrived,
// one counted delivered surely did.
std::uint64_t PacedLine::hangUp(TimePoint now)
{
    const std::uint64_t written = queuedTotal - output.size();
    std::uint64_t delivered = lineStart;
    const int unread = device.unread();
    if (unread >= 0) {
        // The line is kept no fuller than the reader's queue, so once a write has
        // settled, that queue is all it holds; a write still settling may be anywhere.
        std::uint64_t held = std::uint64_t(unread) + unsettledBytes(now);
        if (unread > readerQueueRoom)
            held += lineHoldsAtMost;
        delivered = written - std::min(held, written - lineStart);
    }
    device.close();
    input.clear();
    output.clear();
    outputBlocked = false;
    return delivered;
}

void PacedLine::readInput(TimePoint now)
{
    std::uint8_t buffer[4096];
    ssize_t n;
    while ((n = ::read(device.masterFd(), buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            TimePoint due = now;
            // Paced, a byte counts as received once its ten bits have crossed the line.
            if (pacing)
                due = inputLineFree = std::max(inputLineFree, now) + byteTime();
            input.push_back({buffer[i], due});
        }
    }
}

bool PacedLine::nextReceived(TimePoint now, std::uint8_t& byte, TimePoint& arrived)
{
    if (input.empty() || input.front().due > now || !device.isOpen())
        return false;
    byte = input.front().byte;
    arrived = input.front().due;
    input.pop_front();
    return true;
}

void PacedLine::send(std::uint8_t byte, TimePoint now)
{
    TimePoint due = now;
    // Paced, a byte reaches the program once its ten bits have crossed the line.
    if (pacing)
        due = outputLineFree = std::max(outputLineFree, now) + byteTime();
    output.push_back({byte, due});
    ++queuedTotal;
}

std::optional<std::uint64_t> PacedLine::flush(TimePoint now)
{
    if (!device.isOpen() || outputBlocked)
        return std::nullopt;
    const long room = long(readerQueueRoom) - std::max(device.unread(), 0) -
                      long(unsettledBytes(now));
    readerFull = room <= 0;
    if (readerFull)
        return std::nullopt;
    std::uint8_t buffer[4096];
    std::size_t ready = 0;
    while (ready < output.size() && ready < std::size_t(room) && ready < sizeof buffer &&
           output[ready].due <= now) {
        buffer[ready] = output[ready].byte;
        ++ready;
    }
    if (ready == 0)
        return std::nullopt;
    ssize_t n = ::write(device.masterFd(), buffer, ready);
    if (n > 0) {
        output.erase(output.begin(), output.begin() + n);
        lastWriteAt = std::chrono::steady_clock::now();
        recentWrites.emplace_back(lastWriteAt, std::size_t(n));
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
        // The line is broken; what was queued is lost with it, and what it held may be.
        const std::uint64_t lostFrom = lineStart;
        output.clear();
        lineStart = queuedTotal;
        return lostFrom;
    }
    if (n < ssize_t(ready))
        outputBlocked = true;  // the program is not reading: wait until it does
    return std::nullopt;
}

bool PacedLine::drained(TimePoint now) const
{
    if (!output.empty() || now - lastWriteAt < queueSettles)
        return false;
    const int unread = device.unread();
    return unread <= 0 || now - lastWriteAt >= unplugGrace;
}

TimePoint PacedLine::nextWake(TimePoint now, TimePoint wake) const
{
    if (!input.empty())
        wake = std::min(wake, input.front().due);
    if (!output.empty() && !outputBlocked)
        wake = std::min(wake, readerFull ? now + fullLineRetry : output.front().due);
    return wake;
}

std::chrono::nanoseconds PacedLine::byteTime() const
{
    return std::chrono::nanoseconds(10'000'000'000LL / std::max(baud, 1));
}

std::size_t PacedLine::unsettledBytes(TimePoint now)
{
    while (!recentWrites.empty() && now - recentWrites.front().first >= queueSettles)
        recentWrites.pop_front();
    std::size_t bytes = 0;
    for (const auto& w : recentWrites)
        bytes += w.second;
    return bytes;
}

} // namespace carsim
