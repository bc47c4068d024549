#include "RecordReview.h"

#include "CsvExport.h"
#include "CursorReadout.h"
#include "HistoryView.h"
#include "RecentFolder.h"
#include "StatusNotes.h"
#include "WholeFile.h"
#include "ZGraph.h"

#include <QAction>
#include <QBoxLayout>
#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QMainWindow>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStatusBar>

#include <algorithm>
#include <cstdio>

namespace {

// The scroll bar, the read-out and the index axis take about 65 pixels that
// the window, at its smallest, only has when each graph gives up ten.
constexpr int historyGraphHeight = 45;

} // namespace

RecordReview::RecordReview(const ReviewedWindow& parts, QObject* parent)
    : QObject(parent),
      window(parts),
      historyView(new HistoryView(parts.graphs, parts.graphs.front()->parentWidget(), this)),
      readout(new CursorReadout(*historyView, parts.records)),
      recordFiles(new RecordFiles(parts.window, parts.records, parts.session, parts.openAction, this)),
      liveGraphHeight(parts.graphs.front()->minimumHeight())
{
    window.column->insertWidget(1, historyView->scrollBar());
    window.column->insertWidget(2, readout);
    readout->hide();
    window.pauseAction->setCheckable(true);
    window.pauseAction->setEnabled(false);
    connect(recordFiles, &RecordFiles::opened, this, &RecordReview::showOpened);
}

void RecordReview::recordShown(const float* values)
{
    historyView->append(values);
    recordFiles->recordAdded();
}

void RecordReview::clearRecords()
{
    window.records.clear();
    historyView->clearHistory();
    recordFiles->recordsEmptied();
}

void RecordReview::runningChanged(bool on)
{
    running = on;
    recordFiles->setRunning(on);
    window.pauseAction->setEnabled(on);
    window.pauseAction->setChecked(false);
    showHistory(!on);
}

void RecordReview::togglePause()
{
    if (running) {
        const bool pausing = historyView->isLive();
        showHistory(pausing);
        note(pausing ? tr("Paused: the graphs stand still while records keep arriving (P goes on)")
                     : tr("Going on with the newest records"),
             remarkMs);
    }
    window.pauseAction->setChecked(running && !historyView->isLive());
}

void RecordReview::showAll()
{
    historyView->showAll();
}

void RecordReview::showHistory(bool shown)
{
    if (shown == historyView->isLive()) {
        // The history view keeps the bottom graph taller by its index axis.
        if (shown)
            setGraphHeight(historyGraphHeight);
        historyView->setLive(!shown);
        if (!shown)
            setGraphHeight(liveGraphHeight);
    }
    readout->setVisible(shown);
}

void RecordReview::setGraphHeight(int height)
{
    for (ZGraph* graph : window.graphs)
        graph->setMinimumHeight(height);
}

void RecordReview::showOpened()
{
    // As a download fills the window, but at once: every record into the
    // history, the newest into the live windows and the log, each drawn once.
    const int count = window.records.count();
    const int firstLive = std::max(0, count - int(window.values[0].size()));
    const int logLines = window.logView->maximumBlockCount();
    const int firstLogged = logLines > 0 ? std::max(0, count - logLines) : 0;
    for (std::vector<float>& samples : window.values)
        std::fill(samples.begin(), samples.end(), 0.0f);
    // A history that is shown would update its scroll bar for every record.
    showHistory(false);
    historyView->clearHistory();
    QString log;
    log.reserve((count - firstLogged) * 80);
    ExportClock clock;
    time_t origin = 0;
    int index = 0;
    ZListPos pos;
    for (window.records.start(pos); !window.records.isEnd(pos); window.records.next(pos), ++index) {
        const Data& record = window.records.get(pos);
        // The Time channel counts the seconds of the file's first column.
        const time_t seconds = clock.seconds(record);
        if (origin == 0)
            origin = seconds;
        float sample[channelCount];
        liveChannelValues(record, float(seconds - origin), sample);
        historyView->append(sample);
        if (index >= firstLive)
            for (int channel = 0; channel < channelCount; ++channel)
                window.values[channel][std::size_t(index - firstLive)] = sample[channel];
        if (index >= firstLogged)
            log += QLatin1String(logLine(record, sample).cStr());
    }
    window.sampleIndex = count - firstLive;
    for (int channel = 0; channel < channelCount; ++channel)
        window.graphs[std::size_t(channel)]->setData(window.values[channel]);
    if (!log.isEmpty()) {
        log.chop(1);
        window.logView->appendPlainText(log);
    }
    showHistory(true);
}

QPixmap RecordReview::graphPicture() const
{
    QRect area;
    for (const ZGraph* graph : window.graphs)
        area |= graph->geometry();
    return window.graphs.front()->parentWidget()->grab(area);
}

void RecordReview::exportPicture()
{
    const QString fileName = QFileDialog::getSaveFileName(window.window, tr("Export Picture"),
                                                          recentFolder() + QLatin1String("/tralixgui.png"),
                                                          tr("PNG pictures (*.png)"));
    if (fileName.isEmpty())
        return;
    rememberFolderOf(fileName);
    exportPictureTo(fileName);
}

bool RecordReview::exportPictureTo(const QString& fileName)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString failure = tr("the picture could not be made");
    if (graphPicture().save(&buffer, "PNG")) {
        const auto content = [&png](std::FILE* file) {
            return std::fwrite(png.constData(), 1, std::size_t(png.size()), file) == std::size_t(png.size());
        };
        const ZError written = writeWholeFile(ZString(QFile::encodeName(fileName).constData()), content);
        failure = written ? QString::fromLocal8Bit(written.getString().cStr()) : QString();
    }
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "Error: Unable to write file %s: %s\n", fileName.toLocal8Bit().constData(),
                     failure.toLocal8Bit().constData());
        note(tr("Export failed: %1").arg(failure), outcomeMs);
        return false;
    }
    note(tr("Saved the graphs to %1").arg(fileName), outcomeMs);
    return true;
}

void RecordReview::note(const QString& text, int timeoutMs)
{
    window.window->statusBar()->showMessage(text, timeoutMs);
}
