// What the window does with a record, live or downloaded: it slides the sample
// windows, redraws the graphs, logs a line and keeps the record for Save.
#include "Gui.h"

#include "ZGraph.h"

#include <QCoreApplication>
#include <QPlainTextEdit>

#include <cstdio>

void Gui::clearSampleWindows()
{
    sampleIndex = 0;
    for (std::vector<float>& window : values)
        window.assign(sampleCount, 0.0f);
}

void Gui::keepRecord(const IntakeResult& taken)
{
    if (taken.kind == IntakeResult::Kind::Broken)
        std::fprintf(stderr, "Error in packet received: Num: %d Magic: %x\n", taken.bytes, unsigned(taken.magic));
    else if (taken.kind == IntakeResult::Kind::Whole)
        showRecord(taken.record, taken.seconds);
}

void Gui::showRecord(const Data& record, float seconds)
{
    if (sampleIndex == sampleCount) {
        // Full windows slide: the oldest sample leaves, the newest goes last.
        for (std::vector<float>& window : values) {
            window.erase(window.begin());
            window.push_back(0.0f);
        }
        sampleIndex = sampleCount - 1;
    }
    float sample[channelCount];
    liveChannelValues(record, seconds, sample);
    for (int channel = 0; channel < channelCount; ++channel) {
        values[channel][sampleIndex] = sample[channel];
        graphs[channel]->setData(values[channel]);
    }
    records.append(record);

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
