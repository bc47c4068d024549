#include "RecordFiles.h"

#include "CsvExport.h"
#include "CsvImport.h"
#include "HistoryFill.h"
#include "OpenProgress.h"
#include "RecentFolder.h"
#include "Recording.h"
#include "StatusNotes.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QShortcut>
#include <QStatusBar>

#include <algorithm>
#include <cstdio>

namespace {

// Records whose histories are made between two turns of the window's events:
// about 15 ms' work.
constexpr std::size_t fillSlice = 65536;

} // namespace

RecordFiles::RecordFiles(QMainWindow* window, Recording& recording, QAction* openAction, QObject* parent)
    : QObject(parent), window(window), recording(recording), openAction(openAction),
      openWaits(new QShortcut(openAction->shortcut(), window, [this] { refusedWhileRunning(); }))
{
    // A disabled entry's key does nothing at all; this one says why Open waits.
    openWaits->setEnabled(false);
}

void RecordFiles::setRunning(bool on)
{
    running = on;
    openAction->setEnabled(!on);
    openWaits->setEnabled(on);
}

bool RecordFiles::save()
{
    return write(QString::fromLatin1(csvFileName));
}

bool RecordFiles::saveAs()
{
    if (nothingToSave())
        return false;
    const QString fileName = askSaveFileName(window, tr("Save Records As"), QString::fromLatin1(csvFileName),
                                             tr("Car Computer records (*.csv);;All files (*)"));
    return !fileName.isEmpty() && saveAsFile(fileName);
}

bool RecordFiles::saveAsFile(const QString& fileName)
{
    return write(fileName);
}

bool RecordFiles::saveRangeAs(qint64 first, qint64 last)
{
    if (emptyRange(first, last))
        return false;
    const QString fileName = askSaveFileName(window, tr("Save Range As"), QStringLiteral("range.csv"),
                                             tr("Car Computer records (*.csv);;All files (*)"));
    return !fileName.isEmpty() && saveRangeToFile(first, last, fileName);
}

bool RecordFiles::saveRangeToFile(qint64 first, qint64 last, const QString& fileName)
{
    return !emptyRange(first, last) && write(fileName, first, last);
}

bool RecordFiles::emptyRange(qint64& first, qint64& last)
{
    first = std::max<qint64>(first, 0);
    last = std::min(last, recording.count());
    if (first < last)
        return false;
    note(tr("Nothing to save: the summary's range holds no records (View > Summary chooses it)"), remarkMs);
    return true;
}

bool RecordFiles::write(const QString& fileName, qint64 first, qint64 last)
{
    if (nothingToSave())
        return false;
    const bool whole = last < 0;
    if (whole)
        last = recording.count();
    const QByteArray name = fileName.toLocal8Bit();
    if (const ZError err = writeCsv(recording.records(), first, last, ZString(name.constData()))) {
        if (err.getNumber() == csvCannotOpen)
            std::fprintf(stderr, "Error: Unable to open file %s\n", name.constData());
        else
            std::fprintf(stderr, "Error: Unable to write file %s: %s\n", name.constData(), err.getString().cStr());
        note(QString::fromLatin1("Save failed: %1").arg(QString::fromLocal8Bit(err.getString().cStr())), outcomeMs);
        return false;
    }
    // A part saved leaves the rest to be asked about.
    if (whole)
        recording.markSaved();
    note(QString::fromLatin1("Saved %1 records to %2").arg(last - first).arg(fileName), outcomeMs);
    return true;
}

bool RecordFiles::nothingToSave()
{
    // An empty file in place of records saved before would lose them.
    if (recording.count() != 0)
        return false;
    note(tr("Nothing to save: the window holds no records"), remarkMs);
    return true;
}

void RecordFiles::open()
{
    if (refusedWhileRunning())
        return;
    const QString fileName = QFileDialog::getOpenFileName(window, tr("Open Records"), recentFolder(),
                                                          tr("Car Computer records (*.csv);;All files (*)"));
    if (fileName.isEmpty())
        return;
    rememberFolderOf(fileName);
    openFile(fileName);
}

bool RecordFiles::openFile(const QString& fileName)
{
    if (opening || refusedWhileRunning() || !mayDropRecords(tr("Open"), tr("opening another file")))
        return false;
    const QByteArray name = fileName.toLocal8Bit();
    RecordList records;
    CsvReadResult result;
    HistoryFill fill(records);
    {
        // Events run between the file's pieces and the slices of its
        // histories: Open must not start again meanwhile.
        opening = true;
        OpenProgress progress(window, QFileInfo(fileName).fileName());
        result = readCsv(ZString(name.constData()), records,
                         [&progress](long long done, long long size) { return progress.reading(done, size); });
        bool going = result.ok;
        while (going && !fill.step(fillSlice))
            going = progress.showing(fill.filled(), records.size());
        opening = false;
    }
    if (result.cancelled || (result.ok && !fill.done())) {
        note(tr("Open cancelled: the window holds what it held"), outcomeMs);
        return false;
    }
    if (!result.ok) {
        std::fprintf(stderr, "Error: Unable to open file %s: %s\n", name.constData(), result.reason.cStr());
        note(tr("Not opened: %1: %2").arg(QFileInfo(fileName).fileName(), QString::fromLocal8Bit(result.reason.cStr())),
             outcomeMs);
        return false;
    }
    recording.replace(std::move(records), std::move(fill));
    note(tr("Opened %1 records from %2").arg(recording.count()).arg(fileName), outcomeMs);
    return true;
}

bool RecordFiles::refusedWhileRunning()
{
    // A run would go on adding its records to the file's.
    if (!running)
        return false;
    note(tr("Open: not while LiveData or a download runs; press Stop first"), remarkMs);
    return true;
}

bool RecordFiles::mayDropRecords(const QString& title, const QString& doing)
{
    if (!recording.hasUnsaved())
        return true;
    const QMessageBox::StandardButton answer = QMessageBox::question(
        window, title,
        tr("The window holds %1 records that have not been saved. Save them before %2?").arg(recording.count()).arg(doing),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return saveAs();
    return answer == QMessageBox::Discard;
}

void RecordFiles::note(const QString& text, int timeoutMs)
{
    window->statusBar()->showMessage(text, timeoutMs);
}
