#include "CarSimulator.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace carsim {

namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds longestSleep(200);
// An unplug after the k-th record waits until the program has taken it (the
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

void setCloseOnExec(int fd)
{
    ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

std::uint64_t recordDigest(const std::uint8_t* record)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (int i = 0; i < dataRecordBytes; ++i)
        h = (h ^ record[i]) * 1099511628211ULL;
    return h;
}

// The line around the Car Computer: the pseudo-terminal, pacing, the driver
// queue, faults and the send log. What is answered is the CarComputer's.
class CarSimulator::Engine
{
public:
    explicit Engine(Options o);

    bool start();
    void stop();
    void run();

    void wake();
    bool openLine();
    void closeLine();
    bool publishLink();
    void removeLink();

    void accountHangUp(TimePoint now);
    void markLost(std::uint64_t deliveredUpTo);

    void readInput(TimePoint now);
    void consumeInput(TimePoint now);
    void produceLive(TimePoint now);
    void flushOutput(TimePoint now);
    TimePoint nextWake(TimePoint now) const;
    bool readyToUnplug(TimePoint now) const;

    struct ChaosDraw
    {
        bool wrongMagic = false;
        int shortBytes = 0;
        int garbageBytes = 0;
        int silenceMs = 0;
        bool unplug = false;
        int reopenMs = -1;
    };
    ChaosDraw drawChaos();
    void deliver(const ChaosDraw* chaos = nullptr);

    std::size_t queueOut(const std::uint8_t* bytes, std::size_t size, bool raw = false);
    bool sendRecord(const Answer& record, const ChaosDraw* chaos);
    int sendGarbage(int count);
    bool liveBacklog() const { return output.size() >= std::size_t(dataRecordBytes); }
    // The line can carry a live record now.
    bool streaming() const
    {
        return master >= 0 && answering && !liveBacklog() && !outputBlocked && !unplugWhenSent;
    }
    std::chrono::nanoseconds byteTime() const
    {
        return std::chrono::nanoseconds(10'000'000'000LL / std::max(options.baud, 1));
    }

    struct TimedByte
    {
        std::uint8_t byte;
        TimePoint due;
    };

    Options options;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::thread thread;
    std::string error;
    bool running = false;
    bool stopping = false;
    bool unplugRequested = false;
    bool reopenPending = false;
    TimePoint reopenAt;

    // The line.
    int master = -1;
    int slave = -1;  // kept open so that the program closing its end does not hang up ours
    int wakeRead = -1;
    int wakeWrite = -1;
    std::string slavePath;
    std::deque<TimedByte> input;
    std::deque<TimedByte> output;
    TimePoint inputLineFree;
    TimePoint outputLineFree;
    bool outputBlocked = false;
    bool readerFull = false;  // the program's queue holds all the line may
    TimePoint lastWriteAt;
    std::deque<std::pair<TimePoint, std::size_t>> recentWrites;  // not yet settled
    std::size_t unsettledBytes(TimePoint now);
    std::vector<std::uint8_t> log;
    std::function<void(std::uint8_t)> listener;

    CarComputer computer;
    bool answering = true;
    long muteBudget = -1;
    Faults faults;
    std::mt19937 random;
    int recordsSent = 0;
    int liveSent = 0;
    bool unplugWhenSent = false;
    int pendingReopenMs = -1;  // a pulled cable: the new line's delay
    ChaosDraw chaosDraw;
    bool chaosDrawn = false;   // chaosDraw belongs to the next live record
    TimePoint silentUntil;

    // What went out. Byte offsets count every byte ever queued; a record's entry
    // keeps where it ended, so that a hang-up can tell which records it swallowed.
    struct LoggedRecord
    {
        SentRecord record;
        std::uint64_t streamEnd;
    };
    std::deque<LoggedRecord> sent;
    std::size_t lineFirstSent = 0;   // the first entry of the open line
    std::uint64_t queuedTotal = 0;
    std::uint64_t lineStart = 0;     // offset of the open line's first byte
    long garbageSent = 0;
    int silences = 0;
    int unplugs = 0;
    int reopens = 0;
};

namespace {

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
      computer(makeComputer(options)),
      faults(options.faults),
      random(options.faults.seed)
{
}

bool CarSimulator::Engine::start()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (running)
        return true;
    int fds[2];
    if (::pipe(fds) != 0) {
        error = "no pipe";
        return false;
    }
    wakeRead = fds[0];
    wakeWrite = fds[1];
    for (int fd : fds) {
        setCloseOnExec(fd);
        setNonBlocking(fd);
    }
    if (!openLine()) {
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

bool CarSimulator::Engine::openLine()
{
    int m = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0) {
        error = "no pseudo-terminal";
        return false;
    }
    setCloseOnExec(m);
    char name[128];
    if (::grantpt(m) != 0 || ::unlockpt(m) != 0 || ::ptsname_r(m, name, sizeof name) != 0) {
        ::close(m);
        error = "no pseudo-terminal";
        return false;
    }
    int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s < 0) {
        ::close(m);
        error = std::string("cannot open ") + name;
        return false;
    }
    // A pseudo-terminal starts cooked: it would echo the program's bytes back and
    // swallow 0x03, 0x0D, 0x11 and 0x13. Raw before anyone can open it.
    struct termios settings;
    ::tcgetattr(s, &settings);
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&settings, B4800);
    ::cfsetospeed(&settings, B4800);
    ::tcsetattr(s, TCSANOW, &settings);
    setNonBlocking(m);

    master = m;
    slave = s;
    slavePath = name;
    lineStart = queuedTotal - output.size();
    lineFirstSent = sent.size();
    if (!options.linkPath.empty() && !publishLink()) {
        ::close(master);
        ::close(slave);
        master = slave = -1;
        slavePath.clear();
        return false;
    }
    return true;
}

void CarSimulator::Engine::closeLine()
{
    if (master < 0)
        return;
    const TimePoint now = SteadyClock::now();
    accountHangUp(now);
    removeLink();
    // Closing the master hangs the line up for every opener of the slave.
    ::close(master);
    ::close(slave);
    master = slave = -1;
    slavePath.clear();
    input.clear();
    output.clear();
    outputBlocked = false;
    unplugWhenSent = false;
    // A pulled cable leaves the Car Computer streaming; every other close ends the stream.
    const bool cablePulled = pendingReopenMs >= 0;
    computer.lineClosed(cablePulled);
    if (!stopping) {
        ++unplugs;
        const int reopenMs = cablePulled ? pendingReopenMs : faults.reopenAfterMs;
        if (reopenMs >= 0) {
            reopenPending = true;
            reopenAt = now + milliseconds(reopenMs);
        }
    }
    pendingReopenMs = -1;
    changed.notify_all();
}

// A hang-up throws away what the pseudo-terminal still held for the program, and
// nothing still queued here ever leaves. Records that ended in either are marked
// lost on the line. Where it cannot be known how much the line held, more is
// marked: a lost record may still have arrived, an arrived one is never marked lost.
void CarSimulator::Engine::accountHangUp(TimePoint now)
{
    const std::uint64_t written = queuedTotal - output.size();
    std::uint64_t delivered = lineStart;
    int unread = 0;
    if (::ioctl(slave, FIONREAD, &unread) == 0 && unread >= 0) {
        // The line is kept no fuller than the reader's queue, so once a write has
        // settled, that queue is all it holds; a write still settling may be anywhere.
        std::uint64_t held = std::uint64_t(unread) + unsettledBytes(now);
        if (unread > readerQueueRoom)
            held += lineHoldsAtMost;
        delivered = written - std::min(held, written - lineStart);
    }
    markLost(delivered);
}

void CarSimulator::Engine::markLost(std::uint64_t deliveredUpTo)
{
    for (std::size_t i = sent.size(); i-- > lineFirstSent && sent[i].streamEnd > deliveredUpTo;)
        sent[i].record.lostOnLine = true;
}

bool CarSimulator::Engine::publishLink()
{
    const std::string& path = options.linkPath;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = path + " exists and is not a symbolic link";
        return false;
    }
    // Replaced in one step, so that the path never names nothing while a stale link goes.
    const std::string temporary = path + ".carsim-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(slavePath.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        error = "cannot create the link " + path;
        return false;
    }
    return true;
}

void CarSimulator::Engine::removeLink()
{
    const std::string& path = options.linkPath;
    if (path.empty() || slavePath.empty())
        return;
    char target[256];
    ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    // Only our own link goes; another simulator may have taken the name since.
    if (n > 0 && std::string(target, std::size_t(n)) == slavePath)
        ::unlink(path.c_str());
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
            if (openLine()) {
                ++reopens;
                inputLineFree = outputLineFree = now;
            }
        }
        if (master >= 0) {
            consumeInput(now);
            computer.advance(now);
            deliver();
            produceLive(now);
            flushOutput(SteadyClock::now());
            if (unplugWhenSent && readyToUnplug(SteadyClock::now()))
                closeLine();
        }
        changed.notify_all();

        now = SteadyClock::now();
        const TimePoint until = nextWake(now);
        const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(until - now);
        struct timespec timeout = {time_t(wait.count() / 1'000'000'000),
                                   long(wait.count() % 1'000'000'000)};
        struct pollfd fds[2] = {{wakeRead, POLLIN, 0},
                                {master, short(POLLIN | (outputBlocked ? POLLOUT : 0)), 0}};
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
        // Only this thread closes the master, so it is still the one polled.
        if (watched == 2 && master >= 0) {
            if (fds[1].revents & POLLOUT)
                outputBlocked = false;
            if (fds[1].revents & POLLIN)
                readInput(SteadyClock::now());
        }
    }
}

void CarSimulator::Engine::readInput(TimePoint now)
{
    std::uint8_t buffer[4096];
    ssize_t n;
    while ((n = ::read(master, buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            TimePoint due = now;
            // Paced, a byte counts as received once its ten bits have crossed the line.
            if (options.pacing)
                due = inputLineFree = std::max(inputLineFree, now) + byteTime();
            input.push_back({buffer[i], due});
        }
    }
}

void CarSimulator::Engine::consumeInput(TimePoint now)
{
    while (!input.empty() && input.front().due <= now && master >= 0) {
        const TimedByte b = input.front();
        input.pop_front();
        // Time-outs that fell before this byte arrived happened first, answering or not.
        computer.advance(b.due);
        deliver();
        if (answering) {
            computer.receive(b.byte, b.due);
            deliver();
        }
        log.push_back(b.byte);
        if (listener)
            listener(b.byte);
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

void CarSimulator::Engine::produceLive(TimePoint now)
{
    const auto due = computer.nextLiveRecord();
    if (!due || now < *due || !streaming() || now < silentUntil)
        return;
    if (faults.chaos.on && !chaosDrawn) {
        chaosDraw = drawChaos();
        chaosDrawn = true;
        if (chaosDraw.silenceMs > 0) {
            silentUntil = now + milliseconds(chaosDraw.silenceMs);
            ++silences;
            computer.skipLiveRecord(now);
            return;
        }
    }
    const bool chaos = chaosDrawn;
    chaosDrawn = false;
    computer.tick(now);
    deliver(chaos ? &chaosDraw : nullptr);
}

CarSimulator::Engine::ChaosDraw CarSimulator::Engine::drawChaos()
{
    const Chaos& c = faults.chaos;
    std::uniform_real_distribution<double> unit(0, 1);
    auto between = [this](int low, int high) {
        return std::uniform_int_distribution<int>(low, std::max(low, high))(random);
    };
    ChaosDraw d;
    d.wrongMagic = unit(random) < c.wrongMagic;
    if (unit(random) < c.shortRecord)
        d.shortBytes = between(1, dataRecordBytes - 1);
    if (unit(random) < c.garbage)
        d.garbageBytes = between(1, c.garbageBytes);
    if (unit(random) < c.silence)
        d.silenceMs = std::max(between(c.silenceMinMs, c.silenceMaxMs), 1);
    if (unit(random) < c.unplug) {
        d.unplug = true;
        d.reopenMs = std::max(between(c.reopenMinMs, c.reopenMaxMs), 0);
    }
    return d;
}

// Never the magic's byte: see Faults.
int CarSimulator::Engine::sendGarbage(int count)
{
    int went = 0;
    for (int i = 0; i < count; ++i) {
        auto b = std::uint8_t(std::uniform_int_distribution<int>(0, 254)(random));
        if (b >= magicByte)
            ++b;
        went += int(queueOut(&b, 1));
    }
    garbageSent += went;
    return went;
}

bool CarSimulator::Engine::sendRecord(const Answer& record, const ChaosDraw* chaos)
{
    if (!answering || muteBudget == 0 || unplugWhenSent)
        return false;
    ++recordsSent;
    std::vector<std::uint8_t> out = record.bytes;
    std::size_t size = out.size();
    int garbage = 0;
    if (faults.garbageProbability > 0 &&
        std::uniform_real_distribution<double>(0, 1)(random) < faults.garbageProbability)
        garbage += sendGarbage(1);
    if (chaos && chaos->garbageBytes > 0)
        garbage += sendGarbage(chaos->garbageBytes);
    bool wrongMagic = faults.wrongMagicEvery > 0 && recordsSent % faults.wrongMagicEvery == 0;
    if (faults.shortRecordEvery > 0 && recordsSent % faults.shortRecordEvery == 0)
        size = std::size_t(std::clamp(faults.shortRecordBytes, 0, dataRecordBytes));
    if (chaos) {
        wrongMagic = wrongMagic || chaos->wrongMagic;
        if (chaos->shortBytes > 0)
            size = std::min(size, std::size_t(chaos->shortBytes));
    }
    if (wrongMagic)
        out[1] = 'B';
    const std::size_t went = queueOut(out.data(), size);
    if (faults.silentAfter > 0 && recordsSent >= faults.silentAfter)
        answering = false;
    if (faults.unplugAfter > 0 && recordsSent >= faults.unplugAfter)
        unplugWhenSent = true;
    if (chaos && chaos->unplug) {
        unplugWhenSent = true;
        pendingReopenMs = chaos->reopenMs;
    }
    if (went > 0) {
        SentRecord r;
        readSequence(record.bytes.data(), r.sequence);
        r.digest = recordDigest(record.bytes.data());
        r.departure = went < out.size() ? Departure::CutShort
                                        : wrongMagic ? Departure::WrongMagic : Departure::WellFormed;
        r.bytes = std::uint8_t(went);
        r.garbageBefore = std::uint8_t(std::min(garbage, 255));
        r.silenceBefore = chaos && chaos->silenceMs > 0;
        r.unplugAfter = unplugWhenSent;
        r.live = record.kind == Answer::Kind::LiveRecord;
        sent.push_back({r, queuedTotal});
    }
    return went > 0;
}

std::size_t CarSimulator::Engine::queueOut(const std::uint8_t* bytes, std::size_t size, bool raw)
{
    const TimePoint now = SteadyClock::now();
    for (std::size_t i = 0; i < size; ++i) {
        if (!raw) {
            // A line about to be pulled carries nothing more.
            if (!answering || muteBudget == 0 || unplugWhenSent)
                return i;
            if (muteBudget > 0)
                --muteBudget;
        }
        TimePoint due = now;
        // Paced, a byte reaches the program once its ten bits have crossed the line.
        if (options.pacing)
            due = outputLineFree = std::max(outputLineFree, now) + byteTime();
        output.push_back({bytes[i], due});
        ++queuedTotal;
    }
    return size;
}

std::size_t CarSimulator::Engine::unsettledBytes(TimePoint now)
{
    while (!recentWrites.empty() && now - recentWrites.front().first >= queueSettles)
        recentWrites.pop_front();
    std::size_t bytes = 0;
    for (const auto& w : recentWrites)
        bytes += w.second;
    return bytes;
}

void CarSimulator::Engine::flushOutput(TimePoint now)
{
    if (master < 0 || outputBlocked)
        return;
    int unread = 0;
    if (::ioctl(slave, FIONREAD, &unread) != 0)
        unread = 0;
    const long room = long(readerQueueRoom) - unread - long(unsettledBytes(now));
    readerFull = room <= 0;
    if (readerFull)
        return;
    std::uint8_t buffer[4096];
    std::size_t ready = 0;
    while (ready < output.size() && ready < std::size_t(room) && ready < sizeof buffer &&
           output[ready].due <= now) {
        buffer[ready] = output[ready].byte;
        ++ready;
    }
    if (ready == 0)
        return;
    ssize_t n = ::write(master, buffer, ready);
    if (n > 0) {
        output.erase(output.begin(), output.begin() + n);
        lastWriteAt = SteadyClock::now();
        recentWrites.emplace_back(lastWriteAt, std::size_t(n));
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
        // The line is broken; what was queued is lost with it, and what it held may be.
        markLost(lineStart);
        output.clear();
        lineStart = queuedTotal;
        lineFirstSent = sent.size();
    }
    else if (n < ssize_t(ready))
        outputBlocked = true;  // the program is not reading: wait until it does
}

TimePoint CarSimulator::Engine::nextWake(TimePoint now) const
{
    TimePoint wake = now + longestSleep;
    if (unplugRequested)
        return now;
    if (!input.empty())
        wake = std::min(wake, input.front().due);
    if (!output.empty() && !outputBlocked)
        wake = std::min(wake, readerFull ? now + fullLineRetry : output.front().due);
    if (const auto timeout = computer.nextTimeout())
        wake = std::min(wake, *timeout);
    if (const auto due = computer.nextLiveRecord(); due && streaming())
        wake = std::min(wake, std::max(silentUntil, *due));
    if (reopenPending)
        wake = std::min(wake, reopenAt);
    if (unplugWhenSent && output.empty())
        wake = std::min(wake, now + milliseconds(10));
    return std::max(wake, now);
}

bool CarSimulator::Engine::readyToUnplug(TimePoint now) const
{
    if (!output.empty() || now - lastWriteAt < queueSettles)
        return false;
    int unread = 0;
    if (::ioctl(slave, FIONREAD, &unread) != 0)
        unread = 0;
    return unread == 0 || now - lastWriteAt >= unplugGrace;
}

// ---- CarSimulator ----

CarSimulator::CarSimulator(Options options) : engine(std::make_unique<Engine>(std::move(options))) {}

CarSimulator::~CarSimulator()
{
    stop();
}

bool CarSimulator::start() { return engine->start(); }

void CarSimulator::stop() { engine->stop(); }

bool CarSimulator::isRunning() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->running;
}

std::string CarSimulator::errorText() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->error;
}

std::string CarSimulator::devicePath() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->slavePath;
}

void CarSimulator::setLinkPath(const std::string& path)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->options.linkPath = path;
}

std::string CarSimulator::linkPath() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->options.linkPath;
}

void CarSimulator::loadStore(const Store& store)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->computer.loadStore(store);
}

Store CarSimulator::store() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->computer.store();
}

InfoValues CarSimulator::info() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->computer.info();
}

void CarSimulator::setInfoReply(const std::vector<std::uint8_t>& bytes)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->computer.setInfoReply(bytes);
}

void CarSimulator::queueLiveRecord(const DataBytes& record)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->computer.queueLiveRecord(record);
    engine->wake();
}

void CarSimulator::setClock(const Stamp& now)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->computer.setClock(now, SteadyClock::now());
}

Stamp CarSimulator::clock() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->computer.clock(SteadyClock::now());
}

bool CarSimulator::isLive() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->computer.isLive();
}

void CarSimulator::setFaults(const Faults& faults)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->faults = faults;
    engine->random.seed(faults.seed);
}

void CarSimulator::setAnswering(bool on)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->answering = on;
}

void CarSimulator::muteAfterBytes(int count)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->muteBudget = count < 0 ? -1 : count;
}

void CarSimulator::sendRaw(const std::vector<std::uint8_t>& bytes)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->queueOut(bytes.data(), bytes.size(), true);
    engine->wake();
}

void CarSimulator::unplug()
{
    std::unique_lock<std::mutex> lock(engine->mutex);
    if (!engine->running || engine->master < 0)
        return;
    engine->unplugRequested = true;
    engine->wake();
    engine->changed.wait(lock, [this] { return !engine->unplugRequested || !engine->running; });
}

std::vector<std::uint8_t> CarSimulator::received() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->log;
}

void CarSimulator::clearReceived()
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->log.clear();
}

bool CarSimulator::waitForReceived(std::size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(engine->mutex);
    return engine->changed.wait_for(lock, milliseconds(timeoutMs),
                                    [&] { return engine->log.size() >= count; });
}

bool CarSimulator::waitUntilSent(int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(engine->mutex);
    return engine->changed.wait_for(lock, milliseconds(timeoutMs), [&] {
        return engine->output.empty() || engine->master < 0;
    });
}

int CarSimulator::dataRecordsSent() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->recordsSent;
}

int CarSimulator::liveRecordsSent() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->liveSent;
}

SendLog CarSimulator::sendLog() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    SendLog log;
    log.records.reserve(engine->sent.size());
    for (const Engine::LoggedRecord& r : engine->sent)
        log.records.push_back(r.record);
    log.garbageBytes = engine->garbageSent;
    log.silences = engine->silences;
    log.unplugs = engine->unplugs;
    log.reopens = engine->reopens;
    return log;
}

bool CarSimulator::isIdle() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    const Engine& e = *engine;
    return e.running && e.master >= 0 && !e.computer.isLive() && e.output.empty() && !e.unplugWhenSent &&
           !e.unplugRequested && !e.reopenPending;
}

void CarSimulator::setTrafficListener(std::function<void(std::uint8_t)> listener)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->listener = std::move(listener);
}

bool CarSimulator::lineSettings(struct termios& settings) const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->slave >= 0 && ::tcgetattr(engine->slave, &settings) == 0;
}

bool CarSimulator::setLineSettings(const struct termios& settings)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->slave >= 0 && ::tcsetattr(engine->slave, TCSANOW, &settings) == 0;
}

} // namespace carsim
