// Live monitoring: the poll tick and the record step shared with downloads.
#include "Gui.h"

#include "ZGraph.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdio>

void Gui::runTimer(int on)
{
    if (on) {
        timer.setInterval(carlink::pollIntervalMs);
        timer.start();
    } else {
        timer.stop();
    }
}

void Gui::clearWindows()
{
    sampleIndex = 0;
    for (std::vector<float>& window : values)
        window.assign(sampleCount, 0.0f);
}

void Gui::liveData()
{
    if (refuseWhileBusy("LiveData"))
        return;
    std::printf("LiveData\n");
    liveButton->setEnabled(false);
    stopButton->setEnabled(true);
    clearWindows();
    records.clear();
    liveMode = 1;
    liveRunning = true;
    runTimer(1);
    carlink::sendLiveStart(port);
    checkPort();
}

void Gui::doData(int block)
{
    if (block != 0) {
        takeRecord(liveMode == 0);
        checkPort();
        return;
    }
    // A tick never runs inside another tick or inside a transfer: the events
    // processed after each record could otherwise start a second read.
    if (polling || inExchange)
        return;
    const int available = port.bytesAvailable();
    if (available < 0) {
        checkPort();
        return;
    }
    if (framer.pending() + available < carlink::dataRecordSize)
        return;
    polling = true;
    takeWaitingRecords(available);
    polling = false;
    checkPort();
}

void Gui::takeWaitingRecords(int available)
{
    // The line brings up to 14 records a second and the tick runs ten times a
    // second, so every whole record that waits is taken; one per tick would
    // leave the view further behind with every second.
    if (available > 0) {
        std::vector<unsigned char> bytes(std::size_t(available), 0);
        const int received = port.read(bytes.data(), available);
        if (received <= 0) {
            std::printf("Return: %d\n", received);
            return;
        }
        framer.add(bytes.data(), received);
    }
    // Nothing new since the last tick: the line is quiet, and a record that
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
            carlink::requestNext(port);
        if (step == RecordFramer::Step::Broken)
            std::fprintf(stderr, "Error in packet received: Num: %d Magic: %x\n", dropped, unsigned(magic));
        else
            storeRecord(record, local);
    }
}

Gui::RecordResult Gui::takeRecord(bool answerWithNext)
{
    // The record's calendar time borrows the daylight-saving flag of the present moment.
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);

    Data record;
    const int received = carlink::readDataRecord(port, record);
    if (received <= 0) {
        std::printf("Return: %d\n", received);
        return RecordResult::NothingReceived;
    }
    // Ask for the next record before looking at this one, so that the Car
    // Computer is already sending while this one is decoded and drawn.
    if (answerWithNext)
        carlink::requestNext(port);
    if (received != carlink::dataRecordSize || record.magic() != carlink::recordMagic) {
        std::fprintf(stderr, "Error in packet received: Num: %d Magic: %x\n", received, unsigned(record.magic()));
        return RecordResult::Rejected;
    }
    storeRecord(record, local);
    return RecordResult::Stored;
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
    QCoreApplication::processEvents(polling ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
}
