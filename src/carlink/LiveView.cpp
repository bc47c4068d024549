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
    showWindows();

    log = new QPlainTextEdit(parent);
    log->setReadOnly(true);
    log->setFixedHeight(60);
    log->setMaximumBlockCount(logViewLines);
    column->addWidget(log);

    connect(&recording, &Recording::appended, this, &LiveView::showAppended);
    connect(&recording, &Recording::cleared, this, &LiveView::showWindows);
    connect(&recording, &Recording::windowsRestarted, this, &LiveView::showWindows);
    connect(&recording, &Recording::replaced, this, &LiveView::showReplaced);
}

void LiveView::showAppended(int count)
{
    showWindows();
    // The log view keeps only its newest lines, so only those are made, and
    // added in one go.
    const qint64 end = recording.count();
    const qint64 begin = end - std::min<qint64>(count, logViewLines);
    QString lines;
    for (qint64 index = begin; index < end; ++index) {
        const Data& record = recording.record(index);
        float values[channelCount];
        for (int channel = 0; channel < channelCount; ++channel)
            values[channel] = liveValue(record, channel);
        lines += QLatin1String(logLine(record, values).cStr());
    }
    lines.chop(1);
    log->appendPlainText(lines);
}

void LiveView::showWindows()
{
    const LiveWindows& live = recording.live();
    for (int channel = 0; channel < channelCount; ++channel)
        graphList[std::size_t(channel)]->setData(live.window(channel), std::size_t(live.sampleIndex()));
}

void LiveView::showReplaced()
{
    // An opened file: the log shows its newest records and nothing of what was there.
    log->clear();
    if (recording.count() > 0)
        showAppended(int(std::min<qint64>(recording.count(), logViewLines)));
    else
        showWindows();
}
