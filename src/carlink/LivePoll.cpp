#include "LivePoll.h"

#include "CarLink.h"
#include "PortSession.h"

#include <cstdio>

LivePoll::LivePoll(PortSession& session, Recording& recording, QObject* parent)
    : QObject(parent), session(session), recording(recording)
{
    connect(&session, &PortSession::lineClosed, this, &LivePoll::lineClosed);
}

void LivePoll::startRun(int liveMode)
{
    intake.startRun();
    mode = liveMode;
    session.setStreaming(liveMode != 0);
}

void LivePoll::tick()
{
    // No tick inside another or inside a transfer.
    const PortSession::Claim claimed = session.claim(PortSession::Use::Poll);
    if (!claimed)
        return;
    // The line brings up to 14 records a second and the tick runs ten times a
    // second, so every whole record that waits is taken, and shown at once.
    ZSerial& port = claimed.port();
    const int available = port.bytesAvailable();
    if (available < 0 || intake.pending() + available < carlink::dataRecordSize)
        return;
    if (available > 0) {
        std::vector<unsigned char> bytes(std::size_t(available), 0);
        const int received = port.read(bytes.data(), available);
        if (received <= 0) {
            std::printf("Return: %d\n", received);
            return;
        }
        intake.addLive(bytes.data(), received);
    }
    // Nothing new since the last tick: the line is quiet, and a record that
    // only waited to see what follows it is decided now.
    std::vector<Recording::Arrival> batch;
    for (IntakeResult taken; (taken = intake.nextLive(available == 0)).kind != IntakeResult::Kind::Nothing;) {
        // Outside live mode every record the Car Computer sends waits for its 'n'.
        if (mode == 0)
            carlink::requestNext(port);
        keep(taken, batch);
    }
    recording.add(batch);
}

void LivePoll::lineClosed()
{
    // A closed line ends the stream: a whole record still waiting there is kept.
    std::vector<Recording::Arrival> batch;
    for (IntakeResult taken; (taken = intake.nextAtLineEnd()).kind != IntakeResult::Kind::Nothing;)
        keep(taken, batch);
    recording.add(batch);
}

void LivePoll::keep(const IntakeResult& taken, std::vector<Recording::Arrival>& batch)
{
    if (taken.kind == IntakeResult::Kind::Broken)
        reportBroken(taken);
    else if (taken.kind == IntakeResult::Kind::Whole)
        batch.push_back({taken.record, taken.stamp});
}
