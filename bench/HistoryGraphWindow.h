#pragma once
// A window laid out like the main window: ten graphs stacked above the history
// scroll bar, a log view and a row of buttons, with a history of synthetic
// records: slow waves with noise and, now and then, a one-record spike.

#include "SampleHistory.h"

#include <QWidget>

#include <vector>

class HistoryView;
class ZGraph;

class HistoryGraphWindow : public QWidget
{
public:
    static constexpr int channels = 10;

    explicit HistoryGraphWindow(long records);

    HistoryView* view() const { return history; }
    QWidget* graphBox() const { return graphArea; }
    const std::vector<ZGraph*>& graphList() const { return graphs; }

    // Channel `channel` of record `n`.
    static float signal(int channel, long n);

private:
    std::vector<ZGraph*> graphs;
    QWidget* graphArea = nullptr;
    std::vector<SampleHistory> samples = std::vector<SampleHistory>(channels);
    HistoryView* history = nullptr;
};
