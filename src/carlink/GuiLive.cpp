// Live monitoring: LiveData and the poll tick.
#include "Gui.h"

#include <QPushButton>

#include <cstdio>

void Gui::liveData()
{
    const PortSession::Claim starting = session.claim(PortSession::Use::Command, "LiveData");
    if (!starting)
        return;
    std::printf("LiveData\n");
    enableButtons(false, fetchButton->isEnabled(), true);
    beginRun(1);
    review->clearRecords();
    session.setPolling(true);
    carlink::sendLiveStart(starting.port());
}

void Gui::doData(int block)
{
    if (block != 0) {
        takeDownloadRecord();
        return;
    }
    // No tick inside another or inside a transfer: the events processed after
    // each record could otherwise start a second read.
    const PortSession::Claim tick = session.claim(PortSession::Use::Poll);
    if (!tick)
        return;
    // The line brings up to 14 records a second and the tick runs ten times a
    // second, so every whole record that waits is taken.
    const int available = tick.port().bytesAvailable();
    if (available < 0 || intake.pending() + available < carlink::dataRecordSize)
        return;
    if (available > 0) {
        std::vector<unsigned char> bytes(std::size_t(available), 0);
        const int received = tick.port().read(bytes.data(), available);
        if (received <= 0) {
            std::printf("Return: %d\n", received);
            return;
        }
        intake.addLive(bytes.data(), received);
    }
    // Nothing new since the last tick: the line is quiet, and a record that
    // only waited to see what follows it is decided now.
    for (IntakeResult taken; (taken = intake.nextLive(available == 0)).kind != IntakeResult::Kind::Nothing;) {
        // Outside live mode every record the Car Computer sends waits for its 'n'.
        if (liveMode == 0)
            carlink::requestNext(tick.port());
        showRecord(taken);
    }
}
