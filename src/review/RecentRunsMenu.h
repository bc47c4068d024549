#pragma once
// File > Recent Runs: the run journal's newest files, newest first, each with
// its start, kind, records and length, read from the files when the menu
// opens. Choosing one asks for it to be opened as File > Open would.

#include "RunFiles.h"

#include <QHash>
#include <QMenu>
#include <QPair>
#include <QString>

class RecentRunsMenu : public QMenu
{
    Q_OBJECT

public:
    RecentRunsMenu(const QString& folder, int keeps, QWidget* parent = nullptr);

    // The entries as they stand in the folder now.
    void refresh();

signals:
    void chosen(const QString& fileName);

private:
    void addLimit();

    QString folder;
    int keeps;
    QHash<QString, QPair<qint64, RunSummary>> known;  // a run's size when read, and what it held
};

// One run's entry: "2026-12-09 14:03:27  live, 1234 records, 0:05:08".
QString recentRunText(const RunFile& run, const RunSummary& summary);
