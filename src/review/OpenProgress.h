#pragma once
// The progress of File > Open: a dialog with Cancel that shows itself once
// the reading takes long, and lets the window's events through between the
// pieces of the file, so that the window keeps answering while a large file
// is read.

#include <QElapsedTimer>
#include <QString>

#include <cstddef>

class QProgressDialog;
class QWidget;

class OpenProgress
{
public:
    OpenProgress(QWidget* window, const QString& fileName);
    ~OpenProgress();
    OpenProgress(const OpenProgress&) = delete;
    OpenProgress& operator=(const OpenProgress&) = delete;

    // After each piece read, then each slice of records shown: false once
    // the user has cancelled. Reading fills most of the bar, showing the rest.
    bool reading(long long bytesRead, long long fileSize);
    bool showing(std::size_t recordsShown, std::size_t records);

private:
    bool step(int value, bool now = false);

    QProgressDialog* dialog;
    QElapsedTimer sinceEvents;
    bool showingRecords = false;
};
