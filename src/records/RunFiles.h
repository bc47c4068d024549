#pragma once
// The run journal's folder and its files: the names that carry a run's start
// and kind, the newest first, and what a file holds (records, length).

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

enum class RunKind { Live, Download };

// The newest runs the folder keeps; older files go when a new run starts.
constexpr int runJournalKeeps = 50;

// $XDG_DATA_HOME/tralixgui/runs, by default ~/.local/share/tralixgui/runs.
QString runJournalFolder();

// "2026-12-09_14-03-27_live.csv"; `sequence` > 1 tells apart runs begun in one second.
QString runFileName(const QDateTime& start, RunKind kind, int sequence = 1);

struct RunFile
{
    QString path;
    QDateTime start;
    RunKind kind = RunKind::Live;
    int sequence = 1;
};

// The folder's run files, newest first; other files are not runs.
std::vector<RunFile> runFiles(const QString& folder);

struct RunSummary
{
    long long records = 0;
    long long seconds = 0;  // the first column of the last line
};

// Counts the file's lines and reads its last one.
RunSummary summarizeRun(const QString& path);

QString runKindName(RunKind kind);
