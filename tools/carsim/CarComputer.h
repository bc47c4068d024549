#pragma once
// The Car Computer itself: what it answers to each byte the program sends, its
// store with the directory of blocks, its clock and its live stream. It owns no
// line and reads no clock. Its owner hands it each received byte with the moment
// it arrived, lets time pass with advance() and tick(), and takes what it
// answered with takeOutput(). Not thread-safe: one caller at a time.

#include "CarSimRecords.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace carsim {

using TimePoint = std::chrono::steady_clock::time_point;

// How the Car Computer behaves, beyond its store.
struct ComputerSettings
{
    // Live records per second; 0: one whenever the line can take it.
    double liveRate = 4;
    // Live records go into the store, each live run a block of its own.
    bool logLiveRecords = true;
    // Live records in all: once this many have been made the stream ends, as if 'r'
    // had come, and a later 'c' starts no new one; 0: no end.
    int liveRecordLimit = 0;
    // After 'd', how long a following 'n' marks the older transfer.
    std::chrono::milliseconds olderTransferWindow{100};
};

// The Info values the store implies.
struct InfoValues
{
    std::uint16_t dirNumber = 0;
    std::uint16_t dirPos = 0;
    std::int32_t dataPos = 0;
};

// One answer as it leaves the Car Computer. The line may damage Data records on
// their way, but never the other replies, so it has to tell them apart.
struct Answer
{
    enum class Kind { Reply, TransferRecord, LiveRecord };
    Kind kind = Kind::Reply;
    std::vector<std::uint8_t> bytes;
};

class CarComputer
{
public:
    // `clock` is what its clock shows at `at`; it runs on with the times it is given.
    CarComputer(const ComputerSettings& settings, Store store, const Stamp& clock, TimePoint at);

    // A byte from the program, at the moment it arrived. Time-outs that fell before
    // it happen first.
    void receive(std::uint8_t byte, TimePoint at);
    // Lets time pass to `now`: a 'd' that nothing followed is acknowledged, a message
    // left half-sent is given up.
    void advance(TimePoint now);
    // When advance() next has something to do; none while nothing waits.
    std::optional<TimePoint> nextTimeout() const;

    // The live stream. The Car Computer decides when a record is due; its owner
    // decides when the line can carry one and calls tick() then.
    bool isLive() const { return live; }
    // When the next live record is due; none while not streaming.
    std::optional<TimePoint> nextLiveRecord() const;
    // Sends the live record due by `now`, if one is. True when it did.
    bool tick(TimePoint now);
    // Lets the turn of the record due by `now` pass without it, as when the line
    // pauses; the stream goes on at its rate. True when a record was due.
    bool skipLiveRecord(TimePoint now);
    // The line went down. What was being exchanged is abandoned; the stream ends
    // unless the Car Computer is to stream on, as it does when its cable is pulled.
    void lineClosed(bool streamOn);

    // What it has answered since the last call, in order.
    std::vector<Answer> takeOutput();

    const Store& store() const { return memory; }
    void loadStore(const Store& store) { memory = store; }
    InfoValues info() const;
    // The exact bytes answered to 'i' from now on (any length); empty: from the store.
    void setInfoReply(const std::vector<std::uint8_t>& bytes) { infoReply = bytes; }
    // Sent, in order, as the next live records instead of the vehicle's values.
    void queueLiveRecord(const DataBytes& record) { liveQueue.push_back(record); }
    void setClock(const Stamp& now, TimePoint at);
    Stamp clock(TimePoint at) const;

private:
    enum class Phase { Idle, AfterD, Parameters, Transfer, ClockBytes };
    enum class Kind { Directory, Data, Older };

    void command(std::uint8_t b, TimePoint at);
    void startLive(TimePoint at);
    void serveNext();
    void sendInfo();
    void reply(const std::uint8_t* bytes, std::size_t size);
    void acknowledge() { reply(&ackByte, 1); }
    bool takeLiveTurn(TimePoint now);
    bool liveExhausted() const
    {
        return settings.liveRecordLimit > 0 && liveMade >= settings.liveRecordLimit;
    }

    ComputerSettings settings;
    Store memory;
    std::vector<std::uint8_t> infoReply;
    std::vector<Answer> output;

    // The clock: what it showed at the anchor.
    std::int64_t clockBase = 0;
    TimePoint clockAnchor;

    // The live stream.
    bool live = false;
    TimePoint nextLiveAt;
    int liveMade = 0;
    std::deque<DataBytes> liveQueue;
    VehicleModel vehicle;
    TimePoint lastSampleAt;
    std::uint32_t nextSequence = 1;

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

} // namespace carsim
