#include "LiveView.h"

#include "RecordText.h"
#include "ZGraph.h"

#include <QBoxLayout>
#include <QPlainTextEdit>

#include <algorithm>

LiveView::LiveView(const Recording& recording, QBoxLayout* column, QWidget* parent)
    : QObject(parent), recording(recording)
{
    QVBoxLayout* graphLayout = new QVBoxLayout;
    graphLayout->setSpacing(0);
    column->addLayout(graphLayout, 1);
    for (const ChannelInfo& channel : channels) {
        graphList.push_back(new ZGraph(parent));
        graphList.back()->setYLabel(ZString(channel.name));
        graphList.back()->setMinimumHeight(55);
        graphLayout->addWidget(graphList.back());
    }
    log = new QPlainTextEdit(parent);
    log->setReadOnly(true);
    log->setFixedHeight(60);
    log->setMaximumBlockCount(logViewLines);
    column->addWidget(log);

    refreshTimer.setSingleShot(true);
    connect(&refreshTimer, &QTimer::timeout, this, &LiveView::refresh);
    connect(&recording, &Recording::appended, this, &LiveView::recordsAppended);
    connect(&recording, &Recording::cleared, this, &LiveView::refresh);
    connect(&recording, &Recording::windowsRestarted, this, &LiveView::refresh);
    connect(&recording, &Recording::replaced, this, &LiveView::showReplaced);
}

void LiveView::recordsAppended(int count)
{
    // The lines are made now, while their records are held; the log view,
    // which keeps only its newest lines, gets no more than those.
    const qint64 end = recording.count();
    for (qint64 index = end - std::min<qint64>(count, logViewLines); index < end; ++index) {
        const Data& record = recording.record(index);
        float values[channelCount];
        for (int channel = 0; channel < channelCount; ++channel)
            values[channel] = liveValue(record, channel);
        pendingLines += QLatin1String(logLine(record, values).cStr());
    }
    if (!sinceShown.isValid() || sinceShown.elapsed() >= refreshMs)
        refresh();
    else if (!refreshTimer.isActive())
        refreshTimer.start(int(refreshMs - sinceShown.elapsed()));
}

void LiveView::refresh()
{
    refreshTimer.stop();
    sinceShown.start();
    const LiveWindows& live = recording.live();
    for (int channel = 0; channel < channelCount; ++channel)
        graphList[std::size_t(channel)]->setData(live.window(channel), std::size_t(live.sampleIndex()));
    if (pendingLines.isEmpty())
        return;
    pendingLines.chop(1);
    log->appendPlainText(pendingLines);
    pendingLines.clear();
}

void LiveView::showReplaced()
{
    // An opened file: the log shows its newest records and nothing of what was there.
    pendingLines.clear();
    log->clear();
    if (recording.count() > 0)
        recordsAppended(int(std::min<qint64>(recording.count(), logViewLines)));
    refresh();
}
