#include "HistoryGraphWindow.h"

#include "HistoryView.h"
#include "ZGraph.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

const char* const channelNames[HistoryGraphWindow::channels] = {
    "Throttle", "MotorSpeed", "Speed", "Voltage", "Current",
    "Charge1", "Charge2", "Battery", "Temperature", "Time"};

} // namespace

float HistoryGraphWindow::signal(int channel, long n)
{
    if (channel == channels - 1)
        return static_cast<float>(n);  // seconds, one record a second
    const double t = static_cast<double>(n);
    const double slow = std::sin(t / (9000.0 + 1700.0 * channel)) + 0.4 * std::sin(t / (610.0 + 90.0 * channel));
    const double noise = 0.08 * std::sin(t * 0.37 + channel) * std::sin(t * 0.051);
    // A spike in one record of every 77,777: it must show at any zoom.
    const double spike = (n + 1000 * channel) % 77777 == 0 ? 1.5 : 0.0;
    return static_cast<float>((channel + 1) * 10.0 * (slow + noise + spike));
}

HistoryGraphWindow::HistoryGraphWindow(long records)
{
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(2, 2, 2, 2);
    main->setSpacing(2);
    graphArea = new QWidget(this);
    auto* graphLayout = new QVBoxLayout(graphArea);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    graphLayout->setSpacing(0);
    main->addWidget(graphArea, 1);
    for (int c = 0; c < channels; ++c) {
        auto* graph = new ZGraph(graphArea);
        graph->setYLabel(channelNames[c]);
        graph->setMinimumHeight(55);
        graphLayout->addWidget(graph);
        graphs.push_back(graph);
    }
    history = new HistoryView(graphs, samples, this, this);
    main->addWidget(history->scrollBar());
    auto* log = new QPlainTextEdit(this);
    log->setReadOnly(true);
    log->setFixedHeight(60);
    main->addWidget(log);
    auto* buttons = new QHBoxLayout();
    for (const char* text : {"LiveData", "FetchData", "Stop", "Save", "SetTime"})
        buttons->addWidget(new QPushButton(text, this));
    main->addLayout(buttons);
    resize(1010, 700);

    for (long n = 0; n < records; ++n)
        for (int c = 0; c < channels; ++c)
            samples[std::size_t(c)].append(signal(c, n));
    history->samplesAppended();
}
