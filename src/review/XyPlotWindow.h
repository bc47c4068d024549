#pragma once
// View > X-Y Plot: a window of its own that plots any channel or Power
// against any other over the summary's range, coloured by a third, with the
// history's cursor record ringed. It follows the recording, the range and the
// cursor a few times a second, and exports the plot as a PNG picture.

#include "XyPlotPicture.h"

#include <QTimer>
#include <QWidget>

class HistoryView;
class QComboBox;
class QLabel;
class Recording;
class SummaryPanel;

class XyPlotWindow : public QWidget
{
    Q_OBJECT

public:
    XyPlotWindow(const Recording& recording, HistoryView& history, SummaryPanel& summary, QWidget* parent = nullptr);

    // The choices of the three quantities (XyQuantities' numbers) and of the range.
    QComboBox* xChoice() const { return choices[0]; }
    QComboBox* yChoice() const { return choices[1]; }
    QComboBox* shadeChoice() const { return choices[2]; }
    QComboBox* rangeChoice() const { return range; }
    const XyPlotPicture& plot() const { return picture; }
    // The plot as the window shows it now.
    QImage shownPicture();
    // How the last export went.
    QString note() const;

public slots:
    // Takes the choices, the range and the cursor in and repaints, now.
    void refresh();
    // The save dialog, then exportTo.
    void exportPicture();
    bool exportTo(const QString& fileName);

private:
    void later();

    const Recording& recording;
    SummaryPanel& summary;
    XyPlotPicture picture;
    QComboBox* choices[3];
    QComboBox* range;
    QWidget* canvas;
    QLabel* noteLine;
    QTimer throttle;
    qint64 cursor = -1;  // the pointer's, remembered once it left the graphs
};
