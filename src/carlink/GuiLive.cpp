// Live monitoring: LiveData, the poll tick, and the record step that shows a
// record in the sample windows, the graphs and the log.
#include "Gui.h"

#include "ZGraph.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdio>

void Gui::clearSampleWindows()
{
    sampleIndex = 0;
    for (std::vector<float>& window : values)
        window.assign(sampleCount, 0.0f);
}

void Gui::liveData()
{
    const PortSession::Claim starting = session.claim(PortSession::Use::Command, "LiveData");
    if (!starting)
        return;
    std::printf("LiveData\n");
    enableButtons(false, fetchButton->isEnabled(), true);
    clearSampleWindows();
    records.clear();
    framer.clear();
    liveMode = 1;
    session.setStreaming(true);
    session.setPolling(true);
    carlink::sendLiveStart(starting.port());
}

void Gui::doData(int block)
{
    if (block != 0) {
        takeDownloadRecord();
        return;
    }
    // A tick never runs inside another tick or inside a transfer: the events
    // processed after each record could otherwise start a second read.
    const PortSession::Claim tick = session.claim(PortSession::Use::Poll);
    if (!tick)
        return;
    const int available = tick.port().bytesAvailable();
    if (available >= 0 && framer.pending() + available >= carlink::dataRecordSize)
        takeLiveRecords(tick.port(), available);
}

void Gui::takeLiveRecords(ZSerial& line, int available)
{
    // The line brings up to 14 records a second and the tick runs ten times a
    // second, so every whole record that waits is taken; one per tick would
    // leave the view further behind with every second.
    if (available > 0) {
        std::vector<unsigned char> bytes(std::size_t(available), 0);
        const int received = line.read(bytes.data(), available);
        if (received <= 0) {
            std::printf("Return: %d\n", received);
            return;
        }
        framer.add(bytes.data(), received);
    }
    // Nothing new since the last tick, or the line has closed: a record that
    // only waited to see what follows it is decided now.
    const bool lineQuiet = available == 0;

    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    for (;;) {
        Data record;
        int dropped = 0;
        std::uint16_t magic = 0;
        const RecordFramer::Step step = framer.next(record, dropped, magic, lineQuiet);
        if (step == RecordFramer::Step::NeedMore)
            return;
        // Outside live mode every record the Car Computer sends waits for its 'n'.
        if (liveMode == 0)
            carlink::requestNext(line);
        if (step == RecordFramer::Step::Broken)
            std::fprintf(stderr, "Error in packet received: Num: %d Magic: %x\n", dropped, unsigned(magic));
        else
            storeRecord(record, local);
    }
}

void Gui::keepRecordsAtLineEnd()
{
    // A closed line is the end of the stream: what the framer held is decided
    // as for a quiet line, and the rest goes.
    if (const PortSession::Claim ending = session.claim(PortSession::Use::Poll))
        takeLiveRecords(ending.port(), 0);
    framer.clear();
}

void Gui::storeRecord(Data& record, const struct tm& local)
{
    const time_t stamp = record.decode(local);
    if (timeOrigin == 0)
        timeOrigin = stamp;

    if (sampleIndex == sampleCount) {
        // Full windows slide: the oldest sample leaves, the newest goes last.
        for (std::vector<float>& window : values) {
            window.erase(window.begin());
            window.push_back(0.0f);
        }
        sampleIndex = sampleCount - 1;
    }

    float sample[channelCount];
    liveChannelValues(record, float(stamp - timeOrigin), sample);
    for (int channel = 0; channel < channelCount; ++channel)
        values[channel][sampleIndex] = sample[channel];

    records.append(record);

    for (int channel = 0; channel < channelCount; ++channel)
        graphs[channel]->setData(values[channel]);

    ZString line = logLine(record, sample);
    line.chopNewline();
    logView->appendPlainText(QString::fromLatin1(line.cStr()));

    ++sampleIndex;
    // Lets the graphs and the log repaint, and Stop answer, during long transfers.
    // A poll tick takes only what already waits, so there a button press waits
    // for the tick's end rather than start an exchange between two records.
    QCoreApplication::processEvents(session.holder() == PortSession::Use::Poll ? QEventLoop::ExcludeUserInputEvents
                                                                                : QEventLoop::AllEvents);
}
