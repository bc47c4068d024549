// CarSimulator hands every call to its engine under the engine's lock.

#include "CarSimulatorEngine.h"

namespace carsim {

namespace {

using SteadyClock = std::chrono::steady_clock;
using Lock = std::lock_guard<std::mutex>;

} // namespace

CarSimulator::CarSimulator(Options options) : engine(std::make_unique<Engine>(std::move(options))) {}

CarSimulator::~CarSimulator()
{
    stop();
}

bool CarSimulator::start() { return engine->start(); }

void CarSimulator::stop() { engine->stop(); }

bool CarSimulator::isRunning() const
{
    Lock lock(engine->mutex);
    return engine->running;
}

std::string CarSimulator::errorText() const
{
    Lock lock(engine->mutex);
    return engine->error;
}

std::string CarSimulator::devicePath() const
{
    Lock lock(engine->mutex);
    return engine->line.terminal().path();
}

void CarSimulator::setLinkPath(const std::string& path)
{
    Lock lock(engine->mutex);
    engine->options.linkPath = path;
}

std::string CarSimulator::linkPath() const
{
    Lock lock(engine->mutex);
    return engine->options.linkPath;
}

void CarSimulator::loadStore(const Store& store)
{
    Lock lock(engine->mutex);
    engine->computer.loadStore(store);
}

Store CarSimulator::store() const
{
    Lock lock(engine->mutex);
    return engine->computer.store();
}

InfoValues CarSimulator::info() const
{
    Lock lock(engine->mutex);
    return engine->computer.info();
}

void CarSimulator::setInfoReply(const std::vector<std::uint8_t>& bytes)
{
    Lock lock(engine->mutex);
    engine->computer.setInfoReply(bytes);
}

void CarSimulator::queueLiveRecord(const DataBytes& record)
{
    Lock lock(engine->mutex);
    engine->computer.queueLiveRecord(record);
    engine->wake();
}

void CarSimulator::setClock(const Stamp& now)
{
    Lock lock(engine->mutex);
    engine->computer.setClock(now, SteadyClock::now());
}

Stamp CarSimulator::clock() const
{
    Lock lock(engine->mutex);
    return engine->computer.clock(SteadyClock::now());
}

bool CarSimulator::isLive() const
{
    Lock lock(engine->mutex);
    return engine->computer.isLive();
}

void CarSimulator::setFaults(const Faults& faults)
{
    Lock lock(engine->mutex);
    engine->faults.set(faults);
}

void CarSimulator::setAnswering(bool on)
{
    Lock lock(engine->mutex);
    engine->answering = on;
}

void CarSimulator::muteAfterBytes(int count)
{
    Lock lock(engine->mutex);
    engine->muteBudget = count < 0 ? -1 : count;
}

void CarSimulator::sendRaw(const std::vector<std::uint8_t>& bytes)
{
    Lock lock(engine->mutex);
    engine->queueOut(bytes.data(), bytes.size(), true);
    engine->wake();
}

void CarSimulator::unplug()
{
    std::unique_lock<std::mutex> lock(engine->mutex);
    if (!engine->running || !engine->line.isOpen())
        return;
    engine->unplugRequested = true;
    engine->wake();
    engine->changed.wait(lock, [this] { return !engine->unplugRequested || !engine->running; });
}

std::vector<std::uint8_t> CarSimulator::received() const
{
    Lock lock(engine->mutex);
    return engine->received;
}

void CarSimulator::clearReceived()
{
    Lock lock(engine->mutex);
    engine->received.clear();
}

bool CarSimulator::waitForReceived(std::size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(engine->mutex);
    return engine->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [&] { return engine->received.size() >= count; });
}

bool CarSimulator::waitUntilSent(int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(engine->mutex);
    return engine->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return engine->line.waiting() == 0 || !engine->line.isOpen();
    });
}

int CarSimulator::dataRecordsSent() const
{
    Lock lock(engine->mutex);
    return engine->faults.recordsSent();
}

int CarSimulator::liveRecordsSent() const
{
    Lock lock(engine->mutex);
    return engine->liveSent;
}

SendLog CarSimulator::sendLog() const
{
    Lock lock(engine->mutex);
    return engine->ledger.log();
}

bool CarSimulator::isIdle() const
{
    Lock lock(engine->mutex);
    return engine->isIdle();
}

void CarSimulator::setTrafficListener(std::function<void(std::uint8_t)> listener)
{
    Lock lock(engine->mutex);
    engine->listener = std::move(listener);
}

bool CarSimulator::lineSettings(struct termios& settings) const
{
    Lock lock(engine->mutex);
    return engine->line.terminal().lineSettings(settings);
}

bool CarSimulator::setLineSettings(const struct termios& settings)
{
    Lock lock(engine->mutex);
    return engine->line.terminal().setLineSettings(settings);
}

} // namespace carsim
