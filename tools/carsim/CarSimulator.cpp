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
using TimePoint = SteadyClock::time_point;
using std::chrono::milliseconds;

constexpr int wholeStoreRecords = 2048;
constexpr int infoBytes = 8;
// How long a half-sent message (transfer parameters, clock bytes) is waited for
// before the Car Computer gives up on it and listens for commands again.
constexpr milliseconds messagePatience(5000);
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

double secondsBetween(TimePoint from, TimePoint to)
{
    return std::chrono::duration<double>(to - from).count();
}

void setCloseOnExec(int fd)
{
    ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

std::uint32_t littleEndian(const std::uint8_t* b, int size)
{
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | b[i];
    return v;
}

} // namespace

std::uint64_t recordDigest(const std::uint8_t* record)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (int i = 0; i < dataRecordBytes; ++i)
        h = (h ^ record[i]) * 1099511628211ULL;
    return h;
}

// The protocol, as the Car Computer hears it.
//
// Directory or data? Both transfers send the same bytes: 'd', then (after the
// acknowledgement) a position and a count, then 'n' for each record. What tells
// them apart is what came before. The program reads the directory only right
// after asking for Info, and only when that Info announced a directory
// (DirNumber not 0); a block download follows the directory read or, when there
// is no directory, an Info that announced none. So: a 'd' whose preceding
// command was an 'i' answered with a non-zero DirNumber starts a directory
// transfer; every other 'd' starts a data transfer. A stray 'n' or an unknown
// byte in between changes nothing.
//
// The older transfer is 'd' followed at once by 'n', with no acknowledgement
// read and no parameters. In the normal transfers the program sends nothing
// after 'd' until the acknowledgement arrives, so the acknowledgement is held
// back for a short window: an 'n' arriving within it marks the older transfer
// (no acknowledgement, the whole store oldest first, one record per 'n');
// otherwise the acknowledgement goes out and the six parameter bytes are read,
// whatever their values.
//
// Any request ('i', 'd', 't') ends live mode: the Car Computer stops streaming
// to answer. The 'n' after the last record of a transfer finds no transfer and
// is ignored, as is 'n' outside any transfer.
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
    void handleByte(std::uint8_t b, TimePoint at);
    void command(std::uint8_t b, TimePoint at);
    void expirePhase(TimePoint now);
    void serveNext();
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

    std::size_t queueOut(const std::uint8_t* bytes, std::size_t size, bool raw = false);
    void acknowledge() { queueOut(&ackByte, 1); }
    bool sendRecord(const DataBytes& record, bool liveRecord = false, const ChaosDraw* chaos = nullptr);
    int sendGarbage(int count);
    void sendInfo();
    Stamp clockAt(TimePoint t) const;
    bool liveBacklog() const { return output.size() >= std::size_t(dataRecordBytes); }
    bool streaming() const
    {
        return live && answering && !liveBacklog() && !outputBlocked && !unplugWhenSent;
    }
    bool liveExhausted() const
    {
        return options.liveRecordLimit > 0 && liveSent >= options.liveRecordLimit;
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
    enum class Phase { Idle, AfterD, Parameters, Transfer, ClockBytes };
    enum class Kind { Directory, Data, Older };

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

    // The Car Computer.
    Store store;
    std::vector<std::uint8_t> infoReply;
    std::deque<DataBytes> liveQueue;
    std::int64_t clockBase = 0;
    TimePoint clockAnchor;
    VehicleModel vehicle;
    TimePoint lastSampleAt;
    bool live = false;
    TimePoint nextLiveAt;
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
    std::uint32_t nextSequence = 1;

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

    // The exchange in progress.
    Phase phase = Phase::Idle;
    TimePoint phaseDeadline;
    Kind kind = Kind::Data;
    bool directoryNext = false;
    std::vector<std::uint8_t> message;
    std::uint32_t position = 0;
    std::uint32_t count = 0;
    std::uint32_t served = 0;
};

CarSimulator::Engine::Engine(Options o)
    : options(std::move(o)), faults(options.faults), random(options.faults.seed)
{
    const Stamp now = localStampNow();
    clockBase = stampSeconds(now);
    clockAnchor = SteadyClock::now();
    store = makeStore(options.blocks, options.recordsPerBlock, options.directorySlots,
                      options.positions, now);
    for (const DataBytes& r : store.records) {
        std::uint32_t sequence;
        if (readSequence(r.data(), sequence))
            nextSequence = std::max(nextSequence, sequence + 1);
    }
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
    phase = Phase::Idle;
    // A pulled cable leaves the Car Computer streaming; every other close ends the stream.
    const bool cablePulled = pendingReopenMs >= 0;
    if (!cablePulled)
        live = false;
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
                phase = Phase::Idle;
            }
        }
        if (master >= 0) {
            consumeInput(now);
            expirePhase(now);
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
        // Time-outs that fell before this byte arrived happened first.
        expirePhase(b.due);
        if (answering)
            handleByte(b.byte, b.due);
        log.push_back(b.byte);
        if (listener)
            listener(b.byte);
    }
}

void CarSimulator::Engine::handleByte(std::uint8_t b, TimePoint at)
{
    switch (phase) {
    case Phase::AfterD:
        if (b == 'n') {
            kind = Kind::Older;
            position = std::uint32_t(std::int64_t(store.dataPos) + 1);
            count = std::uint32_t(std::clamp<std::int64_t>(std::int64_t(store.records.size()) - 1, 0,
                                                           wholeStoreRecords));
            served = 0;
            phase = Phase::Transfer;
            serveNext();
            return;
        }
        acknowledge();
        phase = Phase::Parameters;
        message.clear();
        [[fallthrough]];
    case Phase::Parameters:
        message.push_back(b);
        phaseDeadline = at + messagePatience;
        if (message.size() == 6) {
            position = littleEndian(&message[0], 4);
            count = littleEndian(&message[4], 2);
            served = 0;
            phase = count > 0 ? Phase::Transfer : Phase::Idle;
        }
        return;
    case Phase::ClockBytes: {
        message.push_back(b);
        acknowledge();
        phaseDeadline = at + messagePatience;
        if (message.size() == 6) {
            Stamp s;
            s.second = std::clamp(fromBcd(message[0]), 0, 59);
            s.minute = std::clamp(fromBcd(message[1]), 0, 59);
            s.hour = std::clamp(fromBcd(message[2]), 0, 23);
            s.day = std::clamp(fromBcd(message[3]), 1, 31);
            s.month = std::clamp(fromBcd(message[4]), 1, 12);
            s.year = 2000 + fromBcd(message[5]);
            clockBase = stampSeconds(s);
            clockAnchor = at;
            phase = Phase::Idle;
        }
        return;
    }
    case Phase::Transfer:
        if (b == 'n') {
            serveNext();
            return;
        }
        phase = Phase::Idle;  // a new command abandons the transfer
        break;
    case Phase::Idle:
        break;
    }
    command(b, at);
}

void CarSimulator::Engine::command(std::uint8_t b, TimePoint at)
{
    const bool afterInfo = directoryNext;
    directoryNext = false;
    switch (b) {
    case 'c':
        if (!live && !liveExhausted()) {
            live = true;
            if (options.logLiveRecords)
                store.startBlock(clockAt(at));
            lastSampleAt = at;
            nextLiveAt = at + std::chrono::duration_cast<SteadyClock::duration>(
                                  std::chrono::duration<double>(1 / std::max(options.liveRate, 1e-3)));
            if (options.liveRate <= 0)
                nextLiveAt = at;
        }
        break;
    case 'r':
        live = false;
        break;
    case 'R':
        live = false;
        vehicle.reset();
        break;
    case 'Z':
        live = false;
        vehicle.reset();
        store.clear();
        break;
    case 'i': {
        live = false;
        sendInfo();
        const auto& reply = infoReply;
        const std::uint32_t announced =
            reply.empty() ? std::uint32_t(store.directory.size())
                          : (reply.size() >= 2 ? littleEndian(reply.data(), 2) : 0);
        directoryNext = announced != 0;
        break;
    }
    case 'd':
        live = false;
        kind = afterInfo ? Kind::Directory : Kind::Data;
        phase = Phase::AfterD;
        phaseDeadline = at + milliseconds(options.olderTransferWindowMs);
        break;
    case 't':
        live = false;
        acknowledge();
        phase = Phase::ClockBytes;
        message.clear();
        phaseDeadline = at + messagePatience;
        break;
    default:
        // 'n' outside a transfer, or a byte that means nothing here.
        directoryNext = afterInfo;
        break;
    }
}

void CarSimulator::Engine::expirePhase(TimePoint now)
{
    if (now < phaseDeadline)
        return;
    if (phase == Phase::AfterD) {
        acknowledge();
        phase = Phase::Parameters;
        message.clear();
        phaseDeadline = now + messagePatience;
    } else if (phase == Phase::Parameters || phase == Phase::ClockBytes) {
        phase = Phase::Idle;
    }
}

void CarSimulator::Engine::serveNext()
{
    if (served >= count) {
        phase = Phase::Idle;
        return;
    }
    if (kind == Kind::Directory) {
        const std::size_t slots = store.directory.size();
        // Past the end of a directory smaller than the request: empty slots.
        const DirectoryBytes entry = served < slots
            ? store.directory[(std::uint64_t(position) + served) % slots]
            : emptyDirectorySlot();
        queueOut(entry.data(), entry.size());
    } else {
        // The start goes on the wire as a signed 32-bit number.
        sendRecord(store.recordAt(std::int64_t(std::int32_t(position)) + served));
    }
    if (++served == count)
        phase = Phase::Idle;
}

void CarSimulator::Engine::produceLive(TimePoint now)
{
    if (!streaming() || now < silentUntil)
        return;
    if (options.liveRate > 0) {
        if (now < nextLiveAt)
            return;
        const auto period = std::chrono::duration_cast<SteadyClock::duration>(
            std::chrono::duration<double>(1 / options.liveRate));
        nextLiveAt += period;
        // After a stall (a full line, a slow machine) carry on at the rate, without a burst.
        if (nextLiveAt < now - period)
            nextLiveAt = now;
    }
    if (faults.chaos.on && !chaosDrawn) {
        chaosDraw = drawChaos();
        chaosDrawn = true;
        if (chaosDraw.silenceMs > 0) {
            silentUntil = now + milliseconds(chaosDraw.silenceMs);
            ++silences;
            return;
        }
    }
    const bool chaos = chaosDrawn;
    chaosDrawn = false;
    DataBytes record;
    if (!liveQueue.empty()) {
        record = liveQueue.front();
        liveQueue.pop_front();
    } else {
        record = makeDataRecord(clockAt(now), vehicle.step(secondsBetween(lastSampleAt, now)));
        setSequence(record, nextSequence++);
        lastSampleAt = now;
    }
    if (options.logLiveRecords)
        store.log(record);
    if (sendRecord(record, true, chaos ? &chaosDraw : nullptr))
        ++liveSent;
    if (liveExhausted())
        live = false;
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

bool CarSimulator::Engine::sendRecord(const DataBytes& record, bool liveRecord, const ChaosDraw* chaos)
{
    if (!answering || muteBudget == 0 || unplugWhenSent)
        return false;
    ++recordsSent;
    DataBytes out = record;
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
        readSequence(record.data(), r.sequence);
        r.digest = recordDigest(record.data());
        r.departure = went < out.size() ? Departure::CutShort
                                        : wrongMagic ? Departure::WrongMagic : Departure::WellFormed;
        r.bytes = std::uint8_t(went);
        r.garbageBefore = std::uint8_t(std::min(garbage, 255));
        r.silenceBefore = chaos && chaos->silenceMs > 0;
        r.unplugAfter = unplugWhenSent;
        r.live = liveRecord;
        sent.push_back({r, queuedTotal});
    }
    return went > 0;
}

void CarSimulator::Engine::sendInfo()
{
    if (!infoReply.empty()) {
        queueOut(infoReply.data(), infoReply.size());
        return;
    }
    const std::uint32_t dirNumber = std::uint32_t(store.directory.size());
    const std::uint32_t dataPos = std::uint32_t(store.dataPos);
    const std::uint8_t reply[infoBytes] = {
        std::uint8_t(dirNumber),      std::uint8_t(dirNumber >> 8),
        std::uint8_t(store.dirPos),   std::uint8_t(store.dirPos >> 8),
        std::uint8_t(dataPos),        std::uint8_t(dataPos >> 8),
        std::uint8_t(dataPos >> 16),  std::uint8_t(dataPos >> 24),
    };
    queueOut(reply, sizeof reply);
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
    if (phase == Phase::AfterD || phase == Phase::Parameters || phase == Phase::ClockBytes)
        wake = std::min(wake, phaseDeadline);
    if (streaming())
        wake = std::min(wake, std::max(silentUntil, options.liveRate > 0 ? nextLiveAt : now));
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

Stamp CarSimulator::Engine::clockAt(TimePoint t) const
{
    return stampAt(clockBase + std::int64_t(std::floor(secondsBetween(clockAnchor, t))));
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
    engine->store = store;
}

Store CarSimulator::store() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->store;
}

InfoValues CarSimulator::info() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    InfoValues v;
    v.dirNumber = std::uint16_t(engine->store.directory.size());
    v.dirPos = engine->store.dirPos;
    v.dataPos = engine->store.dataPos;
    return v;
}

void CarSimulator::setInfoReply(const std::vector<std::uint8_t>& bytes)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->infoReply = bytes;
}

void CarSimulator::queueLiveRecord(const DataBytes& record)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->liveQueue.push_back(record);
    engine->wake();
}

void CarSimulator::setClock(const Stamp& now)
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    engine->clockBase = stampSeconds(now);
    engine->clockAnchor = SteadyClock::now();
}

Stamp CarSimulator::clock() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->clockAt(SteadyClock::now());
}

bool CarSimulator::isLive() const
{
    std::lock_guard<std::mutex> lock(engine->mutex);
    return engine->live;
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
    return e.running && e.master >= 0 && !e.live && e.output.empty() && !e.unplugWhenSent &&
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
