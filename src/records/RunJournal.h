#pragma once
// The run journal: every record that comes into the window, live or
// downloaded, goes to disk as it comes, in cardata.csv's layout, one file per
// run. A kill loses at most the last second: the lines wait in memory and go
// out whole at least once a second, at a run's end and at exit. A folder that
// cannot be written is said once per run; the run goes on without its file.

#include "ExportClock.h"
#include "RunFiles.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <ctime>
#include <string>

class Recording;

class RunJournal : public QObject
{
    Q_OBJECT

public:
    // Writes into `folder` (made when the first file is), keeping its newest `keep` runs.
    RunJournal(const Recording& recording, const QString& folder = runJournalFolder(),
               int keep = runJournalKeeps, QObject* parent = nullptr);
    ~RunJournal() override;

    // The kind of the run that starts next (the window says so before it clears).
    void startRun(RunKind kind) { nextKind = kind; }
    // The current run's file; empty before its first record.
    QString currentFile() const { return fileName; }

signals:
    // The journal stopped for this run: the status bar's text.
    void failed(const QString& text);

private:
    void appended(int count);
    // The run is over: its lines go out and its file is closed.
    void endRun();
    bool openFile();
    // Every waiting line to the file; false, and the run's file given up, on failure.
    bool flush();
    void fail(const QString& what, int error);

    const Recording& recording;
    QString folder;
    int keep;
    RunKind nextKind = RunKind::Live;  // records that come outside any run are live ones
    QString fileName;
    int handle = -1;
    bool givenUp = false;  // this run's file could not be written
    std::string waiting;   // whole lines not yet written
    ExportClock clock;
    std::time_t origin = 0;
    QTimer flushTimer;
    QElapsedTimer sinceFlush;
};
