#pragma once
// View > Summary: the answers about a drive beside the graphs, for the whole
// recording, the stretch the graphs show or the stretch between the two
// cursors, kept up with a live run a few times a second. A click on a min,
// max or peak puts the history's cursor on its record; Ctrl+C copies the
// figures as text; File > Export Summary writes them as CSV. The X-Y plot
// draws the same range.

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
class XyPlotWindow;

class SummaryPanel : public QDockWidget
{
    Q_OBJECT

public:
    enum Range { Whole, Shown, BetweenCursors };

    // `toggleAction` (View > Summary) is checked while the panel shows.
    SummaryPanel(QMainWindow* window, const Recording& recording, HistoryView& history, QAction* toggleAction);

    void setRange(Range range);
    Range range() const;
    // The records [first, last) the chosen range holds now, and what they are.
    struct Stretch
    {
        qint64 first;
        qint64 last;
        QString which;
    };
    Stretch stretch() const;
    const DriveSummary& summary() const { return current; }
    // Which records the figures are of, as the panel says it.
    QString rangeText() const;
    QTableWidget* table() const;

public slots:
    void toggle();
    // Figures anew, now; changes to the recording and the view come throttled.
    void refresh();
    // The figures as text on the clipboard.
    void copy();
    // File > Export Summary: the file dialog, then exportTo.
    void exportSummary();
    bool exportTo(const QString& fileName);
    // View > X-Y Plot: its window, over the same range, made the first time.
    void showXyPlot();

signals:
    void rangeChosen(SummaryPanel::Range range);

private:
    void build() const;
    void later();
    void clicked(int row);

    const Recording& recording;
    HistoryView& history;
    DriveAnalysis* analysis;
    mutable QComboBox* rangeChoice = nullptr;
    mutable QLabel* rangeLabel = nullptr;
    mutable QTableWidget* figures = nullptr;
    QTimer throttle;
    XyPlotWindow* xyPlot = nullptr;
    qint64 lastCursor = -1;  // the pointer's cursor, remembered once it left the graphs
    DriveSummary current;
};
