#include "RecordReview.h"

#include "CursorReadout.h"
#include "HistoryKeys.h"
#include "HistoryView.h"
#include "PictureFile.h"
#include "RecentFolder.h"
#include "StatusNotes.h"
#include "Recording.h"
#include "WallClock.h"
#include "ZGraph.h"

#include <QAction>
#include <QBoxLayout>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QStatusBar>

#include <algorithm>

namespace {

// The scroll bar, the read-out and the index axis take about 65 pixels that
// the window, at its smallest, only has when each graph gives up ten.
constexpr int historyGraphHeight = 45;

} // namespace

RecordReview::RecordReview(QMainWindow* window, QBoxLayout* column, const std::vector<ZGraph*>& graphs,
                           Recording& recording, QAction* openAction, QAction* pauseAction, QObject* parent)
    : QObject(parent),
      window(window),
      graphs(graphs),
      pauseAction(pauseAction),
      historyView(new HistoryView(graphs, recording.histories(), graphs.front()->parentWidget(), this)),
      keys(new HistoryKeys(*historyView, graphs, this)),
      readout(new CursorReadout(*historyView, recording)),
      recordFiles(new RecordFiles(window, recording, openAction, this)),
      recording(recording),
      liveGraphHeight(graphs.front()->minimumHeight()),
      pausedNote(new QLabel(tr("Paused: the graphs stand still while records keep arriving (P goes on)")))
{
    // Permanent, so that no passing note hides it while the pause lasts.
    window->statusBar()->addPermanentWidget(pausedNote);
    pausedNote->hide();
    column->insertWidget(1, historyView->scrollBar());
    column->insertWidget(2, readout);
    readout->hide();
    pauseAction->setCheckable(true);
    pauseAction->setEnabled(false);
    graphs.back()->setTimeAxis(&clock);
    connect(&recording, &Recording::appended, this, &RecordReview::recordsAppended);
    connect(&recording, &Recording::cleared, this, [this] {
        clock.clear();
        historyView->samplesReplaced();
    });
    connect(&recording, &Recording::replaced, this, [this] {
        clock.clear();
        clock.reserve(this->recording.count());
        clockRecords(0);
        historyView->samplesReplaced();
        showHistory(true);
    });
}

void RecordReview::clockRecords(qint64 from)
{
    // Records of one day share its first second: the calendar is counted once a day.
    int day = -1;
    qint64 dayStart = 0;
    for (qint64 index = from; index < recording.count(); ++index) {
        const Data& record = recording.record(index);
        if (const int thisDay = record.year() << 16 | record.month() << 8 | record.day(); thisDay != day) {
            day = thisDay;
            dayStart = wallSeconds({record.year() + 1900, record.month(), record.day(), 0, 0, 0});
        }
        clock.append(dayStart + record.hour() * 3600 + record.min() * 60 + record.sec());
    }
}

void RecordReview::recordsAppended(int count)
{
    clockRecords(clock.count());
    historyView->samplesAppended();
    // Records still on their way when a run ended join a history shown whole.
    const HistoryView::Range shown = historyView->visibleRange();
    if (!running && !historyView->isLive() && shown.first == 0 && shown.last == recording.count() - count)
        historyView->showAll();
}

void RecordReview::runningChanged(bool on)
{
    // The end of a run ends a pause: the history then shows the whole run.
    const bool pauseEnds = running && !on && !historyView->isLive();
    running = on;
    recordFiles->setRunning(on);
    pauseAction->setEnabled(on);
    pauseAction->setChecked(false);
    pausedNote->hide();
    showHistory(!on);
    if (pauseEnds)
        historyView->showAll();
}

void RecordReview::togglePause()
{
    if (running) {
        const bool pausing = historyView->isLive();
        showHistory(pausing);
        if (!pausing)
            note(tr("Going on with the newest records"), remarkMs);
    }
    pauseAction->setChecked(running && !historyView->isLive());
    pausedNote->setVisible(pauseAction->isChecked());
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
        if (shown)
            keys->historyShown();
        else
            setGraphHeight(liveGraphHeight);
    }
    readout->setVisible(shown);
}

void RecordReview::setGraphHeight(int height)
{
    for (ZGraph* graph : graphs)
        graph->setMinimumHeight(height);
}

QPixmap RecordReview::graphPicture() const
{
    QRect area;
    for (const ZGraph* graph : graphs)
        area |= graph->geometry();
    return graphs.front()->parentWidget()->grab(area);
}

void RecordReview::exportPicture()
{
    const QString fileName =
        askSaveFileName(window, tr("Export Picture"), QStringLiteral("tralixgui.png"), tr("PNG pictures (*.png)"));
    if (!fileName.isEmpty())
        exportPictureTo(fileName);
}

bool RecordReview::exportPictureTo(const QString& fileName)
{
    const QString failure = writePng(fileName, graphPicture().toImage());
    if (!failure.isEmpty()) {
        note(tr("Export failed: %1").arg(failure), outcomeMs);
        return false;
    }
    note(tr("Saved the graphs to %1").arg(fileName), outcomeMs);
    return true;
}

void RecordReview::note(const QString& text, int timeoutMs)
{
    window->statusBar()->showMessage(text, timeoutMs);
}
