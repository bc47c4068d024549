#pragma once
// The history's keys, while it shows (not live) and a graph has the focus:
// Left and Right move the cursor record by record, scrolling it into view;
// Shift+Left and Shift+Right pan by a tenth of the width; + and - zoom around
// the cursor (or the middle); Space pins the cursor as a click does. Escape
// stays HistoryView's own. A graph takes the focus when clicked or wheeled,
// and when the history comes up while the focus rests on a button or nowhere;
// the log view and the summary keep their arrows while they have it.

#include <QObject>

#include <vector>

class HistoryView;
class QKeyEvent;
class ZGraph;

class HistoryKeys : public QObject
{
    Q_OBJECT

public:
    HistoryKeys(HistoryView& view, const std::vector<ZGraph*>& graphs, QObject* parent = nullptr);

    // The history came up: the graphs take the focus unless a widget that
    // reads keys has it.
    void historyShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPressed(const QKeyEvent& key);
    void stepCursor(qint64 step);
    void pan(int direction);
    void zoom(double notches);

    HistoryView& view;
    std::vector<ZGraph*> graphs;  // not owned
};
