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
    session.noteIfClosed("LiveData");
    enableButtons(false, fetchButton->isEnabled(), true);
    journal.startRun(RunKind::Live);
    poll.startRun(1);
    recording.clear();
    session.setPolling(true);
    carlink::sendLiveStart(starting.port());
}

void Gui::doData(int block)
{
    if (block != 0)
        download.takeRecord();
    else
        poll.tick();
}
