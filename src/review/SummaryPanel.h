#pragma once
// View > Summary: the answers about a drive beside the graphs, for the whole
// recording, the stretch the graphs show or the stretch between the two
// cursors, kept up with a live run a few times a second. A click on a min,
// max or peak puts the history's cursor on its record; Ctrl+C copies the
// figures as text; File > Export Summary writes them as CSV.

#include "DriveSummary.h"

#include <QDockWidget>
#include <QTimer>

class DriveAnalysis;
class HistoryView;
class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QTableWidget;
class Recording;

class SummaryPanel : public QDockWidget
{
    Q_OBJECT

public:
    enum Range { Whole, Shown, BetweenCursors };

    // `toggleAction` (View > Summary) is checked while the panel shows.
    SummaryPanel(QMainWindow* window, const Recording& recording, HistoryView& history, QAction* toggleAction);

    void setRange(Range range);
    // The records [first, last) of the range chosen, shown or not, and what
    // they are in words; empty between the cursors until two are shown.
    struct Stretch
    {
        qint64 first, last;
        QString which;
    };
    Stretch chosenRecords() const;
    const DriveSummary& summary() const { return current; }
    // Which records the figures are of, as the panel says it.
    QString rangeText() const;
    QTableWidget* table() const { return figures; }

public slots:
    void toggle();
    // Figures anew, now; changes to the recording and the view come throttled.
    void refresh();
    // The figures as text on the clipboard.
    void copy();
    // File > Export Summary: the file dialog, then exportTo.
    void exportSummary();
    bool exportTo(const QString& fileName);

private:
    void later();
    void clicked(int row);

    const Recording& recording;
    HistoryView& history;
    DriveAnalysis* analysis;
    QComboBox* rangeChoice;
    QLabel* rangeLabel;
    QTableWidget* figures;
    QTimer throttle;
    qint64 lastCursor = -1;  // the pointer's cursor, remembered once it left the graphs
    DriveSummary current;
};
