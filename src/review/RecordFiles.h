#pragma once
// The window's records and the files they go to and come from: Save to
// cardata.csv in the working folder, Save As to a file the user picks, and
// Open, which puts a saved file's records in place of the window's. Records
// that came since the last Save, Save As or Open are not dropped by Open or
// Quit without a question; LiveData and FetchData start afresh without one.

#include <QObject>
#include <QString>
#include <QtGlobal>

class QAction;
class QMainWindow;
class QShortcut;
class Recording;

class RecordFiles : public QObject
{
    Q_OBJECT

public:
    // `openAction` is the File menu's Open entry, turned off while a run goes on.
    RecordFiles(QMainWindow* window, Recording& recording, QAction* openAction, QObject* parent = nullptr);

    // LiveData or a download runs: opening a file waits for its end.
    void setRunning(bool on);
    // Asks, as the step `title` (Open, Quit), whether records that are not saved
    // may go before `doing` ("quitting"): saved first (Save As), dropped, or
    // kept. A Save As that is cancelled or fails keeps them.
    bool mayDropRecords(const QString& title, const QString& doing);

public slots:
    // The Save button: cardata.csv in the working folder.
    bool save();
    // File > Save As: the file dialog, then saveAsFile.
    bool saveAs();
    bool saveAsFile(const QString& fileName);
    // File > Save Range As: records [first, last) (the summary's range), in
    // the same layout, their first column counting from `first`; refused
    // when the range holds none. The rest stays unsaved.
    bool saveRangeAs(qint64 first, qint64 last);
    bool saveRangeToFile(qint64 first, qint64 last, const QString& fileName);
    // File > Open: the file dialog, then openFile.
    void open();
    // Refused and cancelled files leave the window's records as they were.
    // A progress dialog with Cancel shows while a large file is read; the
    // window's events go on between its pieces.
    bool openFile(const QString& fileName);

private:
    // Records [first, last) to the file; all of them count as saved.
    bool write(const QString& fileName, qint64 first = 0, qint64 last = -1);
    // Keeps [first, last) inside the records; says so when nothing is left.
    bool emptyRange(qint64& first, qint64& last);
    // Says so when the window holds no record: nothing is written.
    bool nothingToSave();
    // Says so when a run goes on, which Open waits for.
    bool refusedWhileRunning();
    void note(const QString& text, int timeoutMs);

    QMainWindow* window;
    Recording& recording;
    QAction* openAction;
    QShortcut* openWaits;  // Open's key while the entry is off: says why
    bool running = false;
    bool opening = false;
};
