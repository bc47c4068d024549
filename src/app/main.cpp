// TralixGui: watch, download and export what the Car Computer logs.
#include "CommandLine.h"
#include "Gui.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char** argv)
{
    ZString device;
    if (parseCommandLine(argc, argv, device) != 0) {
        std::fprintf(stderr, "Usage: tralixGui\n");
        return 1;
    }
    // Progress lines go out as they happen, also into a pipe or a log file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(":/icons/tralixgui.svg")));
    // Lets a Wayland desktop match the window with its menu entry and icon.
    QApplication::setDesktopFileName(QString::fromLatin1(TRALIXGUI_APP_ID));

    Gui window(device);
    window.init("TralixGui");
    window.show();
    app.exec();
    return 0;
}
