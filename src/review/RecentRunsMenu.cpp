#include "RecentRunsMenu.h"

#include "RunFiles.h"

#include <QAction>

RecentRunsMenu::RecentRunsMenu(const QString& folder, int keeps, QWidget* parent)
    : QMenu(tr("Recent &Runs"), parent), folder(folder), keeps(keeps)
{
    connect(this, &QMenu::aboutToShow, this, &RecentRunsMenu::refresh);
    refresh();
}

void RecentRunsMenu::refresh()
{
    clear();
    const std::vector<RunFile> runs = runFiles(folder);
    for (const RunFile& run : runs) {
        QAction* entry = addAction(recentRunText(run));
        const QString path = run.path;
        connect(entry, &QAction::triggered, this, [this, path] { emit chosen(path); });
    }
    if (runs.empty())
        addAction(tr("No runs yet"))->setEnabled(false);
    addSeparator();
    addAction(tr("Keeps the newest %1 runs").arg(keeps))->setEnabled(false);
}

QString recentRunText(const RunFile& run)
{
    const RunSummary summary = summarizeRun(run.path);
    const QString length = QString::fromLatin1("%1:%2:%3")
                               .arg(summary.seconds / 3600)
                               .arg(summary.seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                               .arg(summary.seconds % 60, 2, 10, QLatin1Char('0'));
    return QObject::tr("%1  %2, %3 records, %4")
        .arg(run.start.toString(QLatin1String("yyyy-MM-dd HH:mm:ss")), runKindName(run.kind))
        .arg(summary.records)
        .arg(length);
}
