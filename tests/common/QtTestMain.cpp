// Entry point for test programs that create widgets: a real QApplication on the
// offscreen platform, so the tests run without a display.
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

// The offscreen platform says that it cannot size top-level windows; that is
// no news to a test and would only be noise in the console lines tests read.
void quietPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    qInstallMessageHandler(quietPlatformNotes);
    QApplication app(argc, argv);
    // Settings the program keeps (recent folders and devices) go to a test
    // folder, never into the user's own.
    QStandardPaths::setTestModeEnabled(true);
    return RUN_ALL_TESTS();
}
