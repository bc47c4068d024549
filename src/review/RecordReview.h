#pragma once
// Looking back at what the window holds, beside the live view: the whole
// history in the ten graphs, read with the mouse or the keys (HistoryKeys),
// the records' clock under the bottom one (TimeAxis) and a cursor read-out
// under them, Pause, the files of records (RecordFiles) and a picture of the
// graphs. It follows the recording by itself; the window tells it when a run
// starts and ends. While a run goes on the graphs show the live windows, and
// once it ends (or while paused) the history.

#include "RecordFiles.h"
#include "TimeAxis.h"

#include <QObject>
#include <QString>

#include <vector>

class CursorReadout;
class HistoryKeys;
class HistoryView;
class QAction;
class QBoxLayout;
class QLabel;
class QMainWindow;
class QPixmap;
class Recording;
class ZGraph;

class RecordReview : public QObject
{
    Q_OBJECT

public:
    // The scroll bar and the read-out go into `column` under the graphs.
    // `openAction` is File > Open, `pauseAction` View > Pause.
    RecordReview(QMainWindow* window, QBoxLayout* column, const std::vector<ZGraph*>& graphs, Recording& recording,
                 QAction* openAction, QAction* pauseAction, QObject* parent = nullptr);

    // A run (LiveData, a download) starts, or has ended (Stop, the download's end).
    void runningChanged(bool running);

    RecordFiles& files() { return *recordFiles; }
    HistoryView& history() { return *historyView; }
    // The ten graphs as they are drawn now.
    QPixmap graphPicture() const;

public slots:
    // Freezes the drawing while records keep coming, or goes on from the newest.
    void togglePause();
    void showAll();
    // File > Export Picture: the file dialog, then exportPictureTo.
    void exportPicture();
    bool exportPictureTo(const QString& fileName);

private:
    void showHistory(bool shown);
    void setGraphHeight(int height);
    void recordsAppended(int count);
    // The clock of records [from, count) onto the time axis.
    void clockRecords(qint64 from);
    void note(const QString& text, int timeoutMs);

    QMainWindow* window;
    const std::vector<ZGraph*>& graphs;
    QAction* pauseAction;
    HistoryView* historyView;
    HistoryKeys* keys;
    CursorReadout* readout;
    RecordFiles* recordFiles;
    const Recording& recording;
    TimeAxis clock;  // the records' times, which the bottom graph's axis reads
    const int liveGraphHeight;  // each graph's least height while live
    QLabel* pausedNote;  // in the status bar for as long as the pause lasts
    bool running = false;
};
