#include "OpenProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {

constexpr int steps = 1000;
// Events and the bar wait no longer than this: answered at once for the user,
// and a file of many pieces is not slowed by thousands of repaints.
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

bool OpenProgress::step(long long bytesRead, long long fileSize)
{
    if (sinceEvents.elapsed() < eventGapMs)
        return true;
    sinceEvents.restart();
    dialog->setValue(fileSize > 0 ? int(bytesRead * steps / fileSize) : steps);
    QCoreApplication::processEvents();
    return !dialog->wasCanceled();
}
