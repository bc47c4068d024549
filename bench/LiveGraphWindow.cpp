#include "LiveGraphWindow.h"

#include "ZGraph.h"
#include "ZGraphPlot.h"
#include "AxisLabel.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

const char* const channelNames[LiveGraphWindow::channels] = {
    "Throttle", "MotorSpeed", "Speed", "Voltage", "Current",
    "Charge1", "Charge2", "Battery", "Temperature", "Time"};

// A wavy, slightly noisy signal, different for every channel, so that every
// graph draws a line across its whole height.
float signal(int channel, long n)
{
    const double slow = std::sin(n * 0.01 * (channel + 1));
    const double fast = std::sin(n * 0.37 + channel) * 0.1;
    return static_cast<float>((channel + 1) * 10.0 * (slow + fast));
}

} // namespace

LiveGraphWindow::LiveGraphWindow()
{
    auto* main = new QVBoxLayout(this);
    auto* graphBox = new QVBoxLayout();
    main->addLayout(graphBox);
    for (int c = 0; c < channels; ++c) {
        auto* graph = new ZGraph(this);
        graph->setYLabel(channelNames[c]);
        graph->setMinimumHeight(55);
        graphBox->addWidget(graph);
        graphs.push_back(graph);
        values[c].assign(samples, 0.0f);
    }
    auto* log = new QPlainTextEdit(this);
    log->setReadOnly(true);
    log->setFixedHeight(60);
    main->addWidget(log);
    auto* buttons = new QHBoxLayout();
    for (const char* text : {"LiveData", "FetchData", "Stop", "Save", "SetTime"})
        buttons->addWidget(new QPushButton(text, this));
    main->addLayout(buttons);
    resize(1010, 700);

    // Start with full windows, as in a live run that has gone on for a while.
    for (int i = 0; i < samples; ++i)
        for (int c = 0; c < channels; ++c)
            values[c][i] = signal(c, record + i);
    record += samples;
}

void LiveGraphWindow::takeRecord(bool relabel)
{
    for (int c = 0; c < channels; ++c) {
        std::vector<float>& window = values[c];
        window.erase(window.begin());
        window.push_back(signal(c, record));
        graphs[c]->setData(window);
        if (relabel)
            graphs[c]->yAxis()->update();
    }
    ++record;
}

void LiveGraphWindow::takeFillingRecord()
{
    // Past the first few hundred samples the extremes seldom move, as in a drive.
    if (received == 0 || received == samples)
        received = 300;
    for (int c = 0; c < channels; ++c) {
        std::vector<float>& window = filling[c];
        if (received == 300) {
            window.assign(samples, 0.0f);
            for (std::size_t i = 0; i < received; ++i)
                window[i] = signal(c, record + static_cast<long>(i));
        }
        window[received] = signal(c, record + static_cast<long>(received));
        graphs[c]->setData(window, received + 1);
    }
    ++received;
}

void LiveGraphWindow::watchPlots(QObject* filter)
{
    for (ZGraph* graph : graphs) {
        if (plotFilter)
            graph->plotArea()->removeEventFilter(plotFilter);
        if (filter)
            graph->plotArea()->installEventFilter(filter);
    }
    plotFilter = filter;
}
