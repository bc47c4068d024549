#include "OpenProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {

// The bar moves in whole percents: it repaints a hundred times at most,
// however long the file.
constexpr int steps = 100;
// Reading takes about three quarters of Open's time, the histories the rest.
constexpr int readingSteps = 75;
// The window's events wait no longer than this: answered at once for the user.
constexpr int eventGapMs = 20;

} // namespace

OpenProgress::OpenProgress(QWidget* window, const QString& fileName)
    : dialog(new QProgressDialog(QCoreApplication::translate("OpenProgress", "Opening %1").arg(fileName),
                                 QCoreApplication::translate("OpenProgress", "Cancel"), 0, steps, window))
{
    dialog->setObjectName("openProgress");
    dialog->setWindowTitle(QCoreApplication::translate("OpenProgress", "Open"));
    // Modal to the window: its buttons and menus wait, so nothing else
    // starts while the records it holds may be replaced.
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(400);
    dialog->setAutoReset(false);
    dialog->setValue(0);
    sinceEvents.start();
}

OpenProgress::~OpenProgress()
{
    delete dialog;
}

bool OpenProgress::reading(long long bytesRead, long long fileSize)
{
    return step(fileSize > 0 ? int(bytesRead * readingSteps / fileSize) : readingSteps);
}

bool OpenProgress::showing(std::size_t recordsShown, std::size_t records)
{
    // The bar says what it now waits for, at once.
    const bool first = !showingRecords;
    if (first)
        dialog->setLabelText(QCoreApplication::translate("OpenProgress", "Showing %n records", nullptr, int(records)));
    showingRecords = true;
    return step(readingSteps + (records > 0 ? int(recordsShown * (steps - readingSteps) / records) : 0), first);
}

bool OpenProgress::step(int value, bool now)
{
    if (!now && sinceEvents.elapsed() < eventGapMs)
        return true;
    sinceEvents.restart();
    if (value != dialog->value())
        dialog->setValue(value);
    QCoreApplication::processEvents();
    return !dialog->wasCanceled();
}
