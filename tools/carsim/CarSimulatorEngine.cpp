#include "CarSimulatorEngine.h"

#include <algorithm>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace carsim {

namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds longestSleep(200);
// How often a line waiting to be pulled looks again whether the program has read it all.
constexpr milliseconds unplugRetry(10);

CarComputer makeComputer(const Options& o)
{
    ComputerSettings settings;
    settings.liveRate = o.liveRate;
    settings.logLiveRecords = o.logLiveRecords;
    settings.liveRecordLimit = o.liveRecordLimit;
    settings.olderTransferWindow = milliseconds(o.olderTransferWindowMs);
    const Stamp now = localStampNow();
    return CarComputer(settings,
                       makeStore(o.blocks, o.recordsPerBlock, o.directorySlots, o.positions, now),
                       now, SteadyClock::now());
}

} // namespace

CarSimulator::Engine::Engine(Options o)
    : options(std::move(o)),
      line(options.pacing, options.baud),
      computer(makeComputer(options)),
      faults(options.faults)
{
}

bool CarSimulator::Engine::start()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (running)
        return true;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = "no pipe";
        return false;
    }
    wakeRead = fds[0];
    wakeWrite = fds[1];
    if (!openLine(SteadyClock::now())) {
        ::close(wakeRead);
        ::close(wakeWrite);
        wakeRead = wakeWrite = -1;
        return false;
    }
    running = true;
    stopping = false;
    thread = std::thread([this] { run(); });
    return true;
}

void CarSimulator::Engine::stop()
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (!running)
            return;
        stopping = true;
        wake();
    }
    thread.join();
    std::unique_lock<std::mutex> lock(mutex);
    closeLine();
    reopenPending = false;
    ::close(wakeRead);
    ::close(wakeWrite);
    wakeRead = wakeWrite = -1;
    running = false;
    changed.notify_all();
}

void CarSimulator::Engine::wake()
{
    if (wakeWrite >= 0) {
        const char b = 1;
        [[maybe_unused]] ssize_t ignored = ::write(wakeWrite, &b, 1);
    }
}

bool CarSimulator::Engine::openLine(TimePoint now)
{
    if (!line.open(options.linkPath, now, error))
        return false;
    ledger.lineOpened();
    return true;
}

void CarSimulator::Engine::closeLine()
{
    if (!line.isOpen())
        return;
    const TimePoint now = SteadyClock::now();
    ledger.markLost(line.hangUp(now));
    unplugWhenSent = false;
    // A pulled cable leaves the Car Computer streaming; every other close ends the stream.
    const bool cablePulled = pendingReopenMs >= 0;
    computer.lineClosed(cablePulled);
    if (!stopping) {
        ledger.addUnplug();
        const int reopenMs = cablePulled ? pendingReopenMs : faults.faults().reopenAfterMs;
        if (reopenMs >= 0) {
            reopenPending = true;
            reopenAt = now + milliseconds(reopenMs);
        }
    }
    pendingReopenMs = -1;
    changed.notify_all();
}

void CarSimulator::Engine::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        TimePoint now = SteadyClock::now();
        if (unplugRequested) {
            closeLine();
            unplugRequested = false;
        }
        if (reopenPending && now >= reopenAt) {
            reopenPending = false;
            if (openLine(now))
                ledger.addReopen();
        }
        if (line.isOpen()) {
            consumeInput(now);
            computer.advance(now);
            deliver();
            produceLive(now);
            if (const auto lostFrom = line.flush(SteadyClock::now())) {
                ledger.markLost(*lostFrom);
                ledger.lineOpened();
            }
            if (unplugWhenSent && line.drained(SteadyClock::now()))
                closeLine();
        }
        changed.notify_all();

        now = SteadyClock::now();
        const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(nextWake(now) - now);
        struct timespec timeout = {time_t(wait.count() / 1'000'000'000),
                                   long(wait.count() % 1'000'000'000)};
        const int master = line.terminal().masterFd();
        struct pollfd fds[2] = {{wakeRead, POLLIN, 0},
                                {master, short(POLLIN | (line.isBlocked() ? POLLOUT : 0)), 0}};
        const nfds_t watched = master >= 0 ? 2 : 1;
        lock.unlock();
        int ready = ::ppoll(fds, watched, &timeout, nullptr);
        lock.lock();
        if (ready <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead, drain, sizeof drain) > 0) {
            }
        }
        // Only this thread closes the line, so it is still the one polled.
        if (watched == 2 && line.isOpen()) {
            if (fds[1].revents & POLLOUT)
                line.unblock();
            if (fds[1].revents & POLLIN)
                line.readInput(SteadyClock::now());
        }
    }
}

void CarSimulator::Engine::consumeInput(TimePoint now)
{
    std::uint8_t byte;
    TimePoint arrived;
    while (line.nextReceived(now, byte, arrived)) {
        // Time-outs that fell before this byte arrived happened first, answering or not.
        computer.advance(arrived);
        deliver();
        if (answering) {
            computer.receive(byte, arrived);
            deliver();
        }
        received.push_back(byte);
        if (listener)
            listener(byte);
    }
}

// Each answer goes out on its own: a record's fault can silence the Car Computer
// or doom the line for everything after it.
void CarSimulator::Engine::deliver(const ChaosDraw* chaos)
{
    for (const Answer& answer : computer.takeOutput()) {
        switch (answer.kind) {
        case Answer::Kind::Reply:
            queueOut(answer.bytes.data(), answer.bytes.size());
            break;
        case Answer::Kind::TransferRecord:
            sendRecord(answer, nullptr);
            break;
        case Answer::Kind::LiveRecord:
            if (sendRecord(answer, chaos))
                ++liveSent;
            break;
        }
    }
}

bool CarSimulator::Engine::sendRecord(const Answer& record, const ChaosDraw* chaos)
{
    if (!lineCarries())
        return false;
    const Damage damage = faults.damageNext(chaos);
    long garbage = 0;
    for (std::uint8_t b : damage.garbage)
        garbage += long(queueOut(&b, 1));
    ledger.addGarbage(garbage);
    std::vector<std::uint8_t> out = record.bytes;
    if (damage.wrongMagic)
        out[1] = 'B';
    const std::size_t went = queueOut(out.data(), std::min(damage.bytes, out.size()));
    if (damage.silentAfter)
        answering = false;
    if (damage.unplugAfter)
        unplugWhenSent = true;
    if (chaos && chaos->unplug)
        pendingReopenMs = chaos->reopenMs;
    if (went == 0)
        return false;
    SentRecord r;
    readSequence(record.bytes.data(), r.sequence);
    r.digest = recordDigest(record.bytes.data());
    r.departure = went < out.size() ? Departure::CutShort
                                    : damage.wrongMagic ? Departure::WrongMagic : Departure::WellFormed;
    r.bytes = std::uint8_t(went);
    r.garbageBefore = std::uint8_t(std::min(garbage, 255L));
    r.silenceBefore = chaos && chaos->silenceMs > 0;
    r.unplugAfter = unplugWhenSent;
    r.live = record.kind == Answer::Kind::LiveRecord;
    ledger.add(r, line.queued());
    return true;
}

bool CarSimulator::Engine::lineTakesLiveRecord() const
{
    return line.isOpen() && answering && !unplugWhenSent && !line.isBlocked() &&
           line.waiting() < std::size_t(dataRecordBytes);
}

void CarSimulator::Engine::produceLive(TimePoint now)
{
    const auto due = computer.nextLiveRecord();
    if (!due || now < *due || !lineTakesLiveRecord() || now < silentUntil)
        return;
    if (faults.faults().chaos.on && !chaosDrawn) {
        chaosDraw = faults.drawChaos();
        chaosDrawn = true;
        if (chaosDraw.silenceMs > 0) {
            silentUntil = now + milliseconds(chaosDraw.silenceMs);
            ledger.addSilence();
            computer.skipLiveRecord(now);
            return;
        }
    }
    const bool chaos = chaosDrawn;
    chaosDrawn = false;
    computer.tick(now);
    deliver(chaos ? &chaosDraw : nullptr);
}

std::size_t CarSimulator::Engine::queueOut(const std::uint8_t* bytes, std::size_t size, bool raw)
{
    const TimePoint now = SteadyClock::now();
    for (std::size_t i = 0; i < size; ++i) {
        if (!raw) {
            // A line about to be pulled carries nothing more.
            if (!lineCarries())
                return i;
            if (muteBudget > 0)
                --muteBudget;
        }
        line.send(bytes[i], now);
    }
    return size;
}

TimePoint CarSimulator::Engine::nextWake(TimePoint now) const
{
    if (unplugRequested)
        return now;
    TimePoint wake = line.nextWake(now, now + longestSleep);
    if (const auto timeout = computer.nextTimeout())
        wake = std::min(wake, *timeout);
    if (const auto due = computer.nextLiveRecord(); due && lineTakesLiveRecord())
        wake = std::min(wake, std::max(silentUntil, *due));
    if (reopenPending)
        wake = std::min(wake, reopenAt);
    if (unplugWhenSent && line.waiting() == 0)
        wake = std::min(wake, now + unplugRetry);
    return std::max(wake, now);
}

bool CarSimulator::Engine::isIdle() const
{
    return running && line.isOpen() && !computer.isLive() && line.waiting() == 0 &&
           !unplugWhenSent && !unplugRequested && !reopenPending;
}

} // namespace carsim
