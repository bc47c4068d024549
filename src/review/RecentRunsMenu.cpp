#include "RecentRunsMenu.h"

#include "RunFiles.h"

#include <QAction>
#include <QFileInfo>

RecentRunsMenu::RecentRunsMenu(const QString& folder, int keeps, QWidget* parent)
    : QMenu(tr("Recent &Runs"), parent), folder(folder), keeps(keeps)
{
    // Read when shown, so that starting the program reads no run; an empty
    // menu would not show at all.
    connect(this, &QMenu::aboutToShow, this, &RecentRunsMenu::refresh);
    addLimit();
}

void RecentRunsMenu::addLimit()
{
    addAction(tr("Keeps the newest %1 runs").arg(keeps))->setEnabled(false);
}

void RecentRunsMenu::refresh()
{
    clear();
    const std::vector<RunFile> runs = runFiles(folder);
    for (const RunFile& run : runs) {
        // A run read before is read again only once its size has changed.
        const qint64 size = QFileInfo(run.path).size();
        if (!known.contains(run.path) || known[run.path].first != size)
            known[run.path] = {size, summarizeRun(run.path)};
        QAction* entry = addAction(recentRunText(run, known[run.path].second));
        const QString path = run.path;
        connect(entry, &QAction::triggered, this, [this, path] { emit chosen(path); });
    }
    if (runs.empty())
        addAction(tr("No runs yet"))->setEnabled(false);
    addSeparator();
    addLimit();
}

QString recentRunText(const RunFile& run, const RunSummary& summary)
{
    const QString length = QString::fromLatin1("%1:%2:%3")
                               .arg(summary.seconds / 3600)
                               .arg(summary.seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                               .arg(summary.seconds % 60, 2, 10, QLatin1Char('0'));
    return QObject::tr("%1  %2, %3 records, %4")
        .arg(run.start.toString(QLatin1String("yyyy-MM-dd HH:mm:ss")), runKindName(run.kind))
        .arg(summary.records)
        .arg(length);
}
