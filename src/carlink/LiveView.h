#pragma once
// The window's live view of the recording: the ten graphs, each showing its
// channel's live window, and the log view with one line per record. Records
// that arrive are shown at most four times a second: a poll tick that brought
// several records repaints the graphs once, and at the line's full rate the
// graphs repaint a quarter as often as records come. A run's start, an
// opened file or a slow line is shown at once.

#include "Recording.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

class QBoxLayout;
class QPlainTextEdit;
class ZGraph;

class LiveView : public QObject
{
    Q_OBJECT

public:
    // The log view keeps the newest lines only; every record stays in the recording.
    static constexpr int logViewLines = 10000;
    // The least time between two showings of new records.
    static constexpr int refreshMs = 250;

    // The graphs, stacked in channel order, then the log view go into `column`.
    LiveView(const Recording& recording, QBoxLayout* column, QWidget* parent);

    const std::vector<ZGraph*>& graphs() const { return graphList; }
    QPlainTextEdit* logView() const { return log; }
    // No record waits to be shown.
    bool isUpToDate() const { return !refreshTimer.isActive(); }

private:
    void recordsAppended(int count);
    // The live windows and the log lines waiting, shown now.
    void refresh();
    void showReplaced();

    const Recording& recording;
    std::vector<ZGraph*> graphList;
    QPlainTextEdit* log;
    QString pendingLines;  // log lines of records not shown yet
    QTimer refreshTimer;
    QElapsedTimer sinceShown;
};
