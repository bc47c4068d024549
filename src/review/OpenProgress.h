#pragma once
// The progress of File > Open: a dialog with Cancel that shows itself once
// the reading takes long, and lets the window's events through between the
// pieces of the file, so that the window keeps answering while a large file
// is read.

#include <QElapsedTimer>
#include <QString>

class QProgressDialog;
class QWidget;

class OpenProgress
{
public:
    OpenProgress(QWidget* window, const QString& fileName);
    ~OpenProgress();
    OpenProgress(const OpenProgress&) = delete;
    OpenProgress& operator=(const OpenProgress&) = delete;

    // After each piece read: false once the user has cancelled.
    bool step(long long bytesRead, long long fileSize);

private:
    QProgressDialog* dialog;
    QElapsedTimer sinceEvents;
};
