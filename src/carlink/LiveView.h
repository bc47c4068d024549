#pragma once
// The window's live view of the recording: the ten graphs, each showing its
// channel's live window, and the log view with one line per record. It
// redraws once for each change the recording tells of, so a poll tick that
// brought several records repaints the graphs once.

#include "Recording.h"

#include <QObject>

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

    // The graphs, stacked in channel order, then the log view go into `column`.
    LiveView(const Recording& recording, QBoxLayout* column, QWidget* parent);

    const std::vector<ZGraph*>& graphs() const { return graphList; }
    QPlainTextEdit* logView() const { return log; }

private:
    void showAppended(int count);
    void showWindows();
    void showReplaced();

    const Recording& recording;
    std::vector<ZGraph*> graphList;
    QPlainTextEdit* log;
};
