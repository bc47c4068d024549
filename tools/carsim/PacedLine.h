#pragma once
// The line between the Car Computer and the program. Paced, every byte takes its
// ten bits at the baud rate in either direction. Paced or not, the line never
// holds more than the program's driver queue takes, so that what it holds, and so
// what a hang-up throws away, is known.

#include "PseudoTerminal.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

namespace carsim {

using TimePoint = std::chrono::steady_clock::time_point;

class PacedLine
{
public:
    PacedLine(bool pacing, int baud) : pacing(pacing), baud(baud) {}

    // A new line, published as `linkPath` unless that is empty; see PseudoTerminal.
    bool open(const std::string& linkPath, TimePoint now, std::string& error);
    // Hangs up. Everything queued either way is dropped. Returns the offset in the
    // stream of bytes sent (see queued()) up to which the program surely read.
    std::uint64_t hangUp(TimePoint now);
    bool isOpen() const { return device.isOpen(); }
    PseudoTerminal& terminal() { return device; }
    const PseudoTerminal& terminal() const { return device; }

    // ---- from the program ----
    // Takes what the program has written.
    void readInput(TimePoint now);
    // The next byte that has crossed the line by `now`, and when it did.
    bool nextReceived(TimePoint now, std::uint8_t& byte, TimePoint& arrived);

    // ---- to the program ----
    void send(std::uint8_t byte, TimePoint now);
    // Bytes ever sent, on any line: the stream offset after the last one.
    std::uint64_t queued() const { return queuedTotal; }
    std::size_t waiting() const { return output.size(); }
    // The program is not reading: nothing more is written until it does.
    bool isBlocked() const { return outputBlocked; }
    void unblock() { outputBlocked = false; }
    // Writes what has crossed the line by `now`, as far as the program's queue has
    // room. When the line turns out broken, what it held and what waited is lost:
    // returns the stream offset from which on it was.
    std::optional<std::uint64_t> flush(TimePoint now);
    // Everything written, and taken by the program or given up on: the line can go.
    bool drained(TimePoint now) const;
    // The earliest moment, before `wake`, that the line needs looking at.
    TimePoint nextWake(TimePoint now, TimePoint wake) const;

private:
    struct TimedByte
    {
        std::uint8_t byte;
        TimePoint due;
    };
    std::chrono::nanoseconds byteTime() const;
    std::size_t unsettledBytes(TimePoint now);

    PseudoTerminal device;
    const bool pacing;
    const int baud;
    std::deque<TimedByte> input;
    std::deque<TimedByte> output;
    TimePoint inputLineFree;
    TimePoint outputLineFree;
    bool outputBlocked = false;
    bool readerFull = false;  // the program's queue holds all the line may
    TimePoint lastWriteAt;
    std::deque<std::pair<TimePoint, std::size_t>> recentWrites;  // not yet settled
    // Byte offsets count every byte ever queued, so that the send log can tell
    // which records a hang-up swallowed.
    std::uint64_t queuedTotal = 0;
    std::uint64_t lineStart = 0;  // offset of the open line's first byte
};

} // namespace carsim
