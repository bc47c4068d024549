#pragma once
// Looking back at what the window holds, beside the live view: the whole
// history in the ten graphs with a cursor read-out under them, Pause, the
// files of records (RecordFiles) and a picture of the graphs. The window
// tells it of each record it shows, of each emptying of its records and of
// each start and end of a run; while a run goes on the graphs show the live
// windows, and once it ends (or while paused) the history.

#include "RecordFiles.h"
#include "RecordText.h"

#include <QObject>
#include <QString>

#include <vector>

class CursorReadout;
class HistoryView;
class PortSession;
class QAction;
class QBoxLayout;
class QMainWindow;
class QPixmap;
class QPlainTextEdit;
class ZGraph;

// The parts of the main window that the review reads and fills.
struct ReviewedWindow
{
    QMainWindow* window;
    QBoxLayout* column;  // the graphs first, then what goes under them
    const std::vector<ZGraph*>& graphs;
    QPlainTextEdit* logView;
    ZList<Data>& records;
    std::vector<float> (&values)[channelCount];
    int& sampleIndex;
    PortSession& session;
    QAction* openAction;
    QAction* pauseAction;
};

class RecordReview : public QObject
{
    Q_OBJECT

public:
    RecordReview(const ReviewedWindow& window, QObject* parent = nullptr);

    // A record the window shows, with its ten live values.
    void recordShown(const float* values);
    // Empties the window's records, and the history with them.
    void clearRecords();
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
    // After Open: the file's records in the history, the live windows and the log.
    void showOpened();
    void note(const QString& text, int timeoutMs);

    ReviewedWindow window;
    HistoryView* historyView;
    CursorReadout* readout;
    RecordFiles* recordFiles;
    const int liveGraphHeight;  // each graph's least height while live
    bool running = false;
};
