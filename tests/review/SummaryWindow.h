#pragma once
// A main window as the program builds it for the answers about a drive: ten
// graphs, their history and the summary panel beside them, over a recording
// of its own.
#include "HistoryView.h"
#include "Recording.h"
#include "SummaryPanel.h"
#include "ZGraph.h"

#include <QAction>
#include <QMainWindow>
#include <QVBoxLayout>

#include <vector>

struct SummaryWindow
{
    SummaryWindow()
    {
        auto* column = new QVBoxLayout(new QWidget(&window));
        window.setCentralWidget(column->parentWidget());
        for (int c = 0; c < channelCount; ++c)
            column->addWidget(graphs.emplace_back(new ZGraph(column->parentWidget())));
    }

    QMainWindow window;
    std::vector<ZGraph*> graphs;
    Recording recording;
    HistoryView history{graphs, recording.histories(), nullptr};
    QAction toggle;
    SummaryPanel panel{&window, recording, history, &toggle};
};
