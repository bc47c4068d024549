#pragma once
// The simulator's thread: it runs the line around the Car Computer. It reads what
// the program sends and hands it on byte by byte, puts the answers on the line
// (paced, damaged as the faults say, written down in the send log), asks the Car
// Computer for live records when the line can carry one, and pulls and plugs in
// the cable. Everything it holds is guarded by one mutex, which CarSimulator takes
// too.

#include "CarSimulator.h"
#include "PacedLine.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace carsim {

class CarSimulator::Engine
{
public:
    explicit Engine(Options o);

    bool start();
    void stop();
    void wake();
    // Puts bytes on the line. Unless raw, they are answers: a silent, muted or
    // unplugging Car Computer drops them. Returns how many went.
    std::size_t queueOut(const std::uint8_t* bytes, std::size_t size, bool raw = false);
    bool isIdle() const;

    Options options;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::string error;
    bool running = false;
    bool unplugRequested = false;

    PacedLine line;
    CarComputer computer;
    LineFaults faults;
    SendLedger ledger;
    std::vector<std::uint8_t> received;
    std::function<void(std::uint8_t)> listener;
    bool answering = true;
    long muteBudget = -1;
    int liveSent = 0;

private:
    void run();
    bool openLine(TimePoint now);
    void closeLine();
    void consumeInput(TimePoint now);
    void deliver(const ChaosDraw* chaos = nullptr);
    bool sendRecord(const Answer& record, const ChaosDraw* chaos);
    void produceLive(TimePoint now);
    TimePoint nextWake(TimePoint now) const;
    // Answers can leave, and the line is not about to be pulled.
    bool lineCarries() const { return answering && muteBudget != 0 && !unplugWhenSent; }
    bool lineTakesLiveRecord() const;

    std::thread thread;
    bool stopping = false;
    int wakeRead = -1;
    int wakeWrite = -1;
    bool reopenPending = false;
    TimePoint reopenAt;
    bool unplugWhenSent = false;
    int pendingReopenMs = -1;  // a pulled cable: the new line's delay
    ChaosDraw chaosDraw;
    bool chaosDrawn = false;   // chaosDraw belongs to the next live record
    TimePoint silentUntil;
};

} // namespace carsim
