#pragma once
// A window laid out like the main window's live display: ten graphs stacked
// above a log view and a row of buttons, fed with sliding 2048-sample windows
// the way each live record feeds them.

#include <QWidget>

#include <vector>

class ZGraph;

class LiveGraphWindow : public QWidget
{
public:
    static constexpr int channels = 10;
    static constexpr int samples = 2048;

    LiveGraphWindow();

    // One record: every window slides by one sample and each graph gets a copy.
    // With `relabel` every axis label repaints too, as when each record
    // brings new extremes.
    void takeRecord(bool relabel = false);
    // One record early in a run: the windows are still filling, zero after
    // their newest sample, and start over once full.
    void takeFillingRecord();
    // Installs `filter` on every plot area (null removes the last one).
    void watchPlots(QObject* filter);

private:
    std::vector<ZGraph*> graphs;
    std::vector<float> values[channels];
    long record = 0;
    std::vector<float> filling[channels];
    std::size_t received = 0;
    QObject* plotFilter = nullptr;
};
