// Stored data: FetchData opens the directory dialog, whose Download runs the
// download; the older transfer start.
#include "Gui.h"

#include "StatusNotes.h"
#include "WDataDirectory.h"

#include <QPushButton>
#include <QStatusBar>

#include <cstdio>

void Gui::fetchData()
{
    // Only asks whether the port is free: the dialog's directory read claims it.
    if (!session.claim(PortSession::Use::Command, "FetchData"))
        return;
    std::printf("FetchData\n");
    session.noteIfClosed("FetchData");
    session.setPolling(false);
    directoryDialog->show();
    directoryDialog->update();
}

void Gui::fetchDataDir(ZList<int> entries)
{
    const bool wasEnabled[] = {liveButton->isEnabled(), fetchButton->isEnabled(), stopButton->isEnabled()};
    const Download::Ended ended = download.fetchRows(entries);
    if (ended == Download::Ended::Refused)
        return;
    // The buttons are as they were, or, after Stop, as Stop leaves them.
    const bool stopped = ended == Download::Ended::Stopped;
    enableButtons(stopped || wasEnabled[0], stopped || wasEnabled[1], !stopped && wasEnabled[2]);
    statusBar()->showMessage(Download::outcome(ended, recording.count()), outcomeMs);
}

void Gui::fetchDataOld()
{
    const PortSession::Claim starting = session.claim(PortSession::Use::Command, "FetchData");
    if (!starting)
        return;
    std::printf("FetchData\n");
    enableButtons(liveButton->isEnabled(), false, true);
    poll.startRun(0);
    recording.restartWindows();
    carlink::startOlderTransfer(starting.port());
}
