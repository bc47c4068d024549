// Live monitoring: LiveData, the poll tick, and the live graphs and log as
// views of the recording.
#include "Gui.h"

#include "RecordText.h"
#include "ZGraph.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>

void Gui::liveData()
{
    const PortSession::Claim starting = session.claim(PortSession::Use::Command, "LiveData");
    if (!starting)
        return;
    std::printf("LiveData\n");
    enableButtons(false, fetchButton->isEnabled(), true);
    beginRun(1);
    recording.clear();
    session.setPolling(true);
    carlink::sendLiveStart(starting.port());
}

void Gui::doData(int block)
{
    if (block != 0) {
        download.takeRecord();
        return;
    }
    // No tick inside another or inside a transfer.
    const PortSession::Claim tick = session.claim(PortSession::Use::Poll);
    if (!tick)
        return;
    // The line brings up to 14 records a second and the tick runs ten times a
    // second, so every whole record that waits is taken, and shown at once.
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
    std::vector<Recording::Arrival> batch;
    for (IntakeResult taken; (taken = intake.nextLive(available == 0)).kind != IntakeResult::Kind::Nothing;) {
        // Outside live mode every record the Car Computer sends waits for its 'n'.
        if (liveMode == 0)
            carlink::requestNext(tick.port());
        keep(taken, batch);
    }
    recording.add(batch);
}

void Gui::keep(const IntakeResult& taken, std::vector<Recording::Arrival>& batch)
{
    if (taken.kind == IntakeResult::Kind::Broken)
        reportBroken(taken);
    else if (taken.kind == IntakeResult::Kind::Whole)
        batch.push_back({taken.record, taken.stamp});
}

void Gui::showAppended(int count)
{
    showWindows();
    // The log view keeps only its newest lines, so only those are made.
    const qint64 end = recording.count();
    const qint64 begin = end - std::min<qint64>(count, logViewLines);
    QString lines;
    for (qint64 index = begin; index < end; ++index) {
        const Data& record = recording.record(index);
        float values[channelCount];
        for (int channel = 0; channel < channelCount; ++channel)
            values[channel] = liveValue(record, channel);
        lines += QLatin1String(logLine(record, values).cStr());
    }
    lines.chop(1);
    logView->appendPlainText(lines);
}

void Gui::showWindows()
{
    for (int channel = 0; channel < channelCount; ++channel)
        graphs[std::size_t(channel)]->setData(recording.live().window(channel));
}

void Gui::showOpened()
{
    // The log shows the file's newest records, and nothing of what was there.
    logView->clear();
    if (recording.count() > 0)
        showAppended(int(std::min<qint64>(recording.count(), logViewLines)));
    else
        showWindows();
}
