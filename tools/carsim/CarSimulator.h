#pragma once
// A Car Computer on a pseudo-terminal. It runs its own thread, answers every
// exchange of the link byte for byte, streams live records, keeps a data store
// with a directory of blocks, and can misbehave on request. Tests open
// devicePath() with the program's own serial port and talk to it for real.
// What it answers is CarComputer's; the line around it (pacing, faults, the
// send log, unplugging) is its own.

#include "CarComputer.h"
#include "CarSimRecords.h"
#include "LineFaults.h"
#include "SendLedger.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <termios.h>

namespace carsim {

struct Options
{
    // Emulate the real line: every byte takes its time (10 bits at `baud`) in
    // both directions. Off, bytes move as fast as the program takes them. Either
    // way the line never holds more than the program's driver queue (4095 bytes):
    // what it holds is then known, and so what a hang-up throws away.
    bool pacing = false;
    int baud = 4800;
    // Live records per second; 0 sends them back to back, as fast as the line allows.
    double liveRate = 4;
    // Live records go into the store, each live run a block of its own.
    bool logLiveRecords = true;
    // Live records in all: once this many have been made the stream ends, as if 'r'
    // had come, and a later 'c' starts no new one; 0: no end.
    int liveRecordLimit = 0;
    // After 'd', how long a following 'n' marks the older transfer (see CarComputer.cpp).
    int olderTransferWindowMs = 100;
    // Published as a symbolic link to the line while it exists; empty: none.
    std::string linkPath;
    Faults faults;
    // The store it starts with (see makeStore).
    int blocks = 3;
    int recordsPerBlock = 100;
    int directorySlots = 64;
    int positions = defaultPositions;
};

class CarSimulator
{
public:
    explicit CarSimulator(Options options = Options());
    ~CarSimulator();
    CarSimulator(const CarSimulator&) = delete;
    CarSimulator& operator=(const CarSimulator&) = delete;

    // Opens the line and starts answering. False (see errorText) when no
    // pseudo-terminal could be had or the link path is taken by something else.
    bool start();
    // Closes the line, removes the link and ends the thread. Also the destructor's.
    void stop();
    bool isRunning() const;
    std::string errorText() const;

    // The slave side of the line, e.g. /dev/pts/7; empty while unplugged.
    std::string devicePath() const;
    // Where the line is published; set before start().
    void setLinkPath(const std::string& path);
    std::string linkPath() const;

    // ---- the Car Computer's state ----
    void loadStore(const Store& store);
    Store store() const;
    InfoValues info() const;
    // The exact bytes answered to 'i' from now on (any length); empty: from the store.
    void setInfoReply(const std::vector<std::uint8_t>& bytes);
    // Sent, in order, as the next live records instead of the vehicle's values.
    void queueLiveRecord(const DataBytes& record);
    void setClock(const Stamp& now);
    Stamp clock() const;
    bool isLive() const;
    void setFaults(const Faults& faults);
    // A Car Computer that does not answer: received bytes are logged, nothing else.
    void setAnswering(bool on);
    // Falls silent once this many more bytes of answers have gone out; a
    // negative count makes it answer again without limit.
    void muteAfterBytes(int count);

    // ---- the line ----
    // Puts bytes on the line as they are (paced like any answer).
    void sendRaw(const std::vector<std::uint8_t>& bytes);
    // Closes the line now, as if the cable were pulled; returns once it is closed.
    void unplug();
    // Every byte received from the program so far, in order.
    std::vector<std::uint8_t> received() const;
    void clearReceived();
    // True once at least `count` bytes have been received (and acted on).
    bool waitForReceived(std::size_t count, int timeoutMs) const;
    // True once every queued byte has been handed to the line.
    bool waitUntilSent(int timeoutMs) const;
    int dataRecordsSent() const;
    int liveRecordsSent() const;
    SendLog sendLog() const;
    // True when the line is open and nothing is streaming, queued or pending
    // (no silence, unplug or reopen to come).
    bool isIdle() const;
    // Called on the simulator's thread for each byte received; must not call back.
    void setTrafficListener(std::function<void(std::uint8_t)> listener);
    // The line settings of the slave side, as the program left them.
    bool lineSettings(struct termios& settings) const;
    bool setLineSettings(const struct termios& settings);

private:
    class Engine;
    std::unique_ptr<Engine> engine;
};

} // namespace carsim
