// TralixGui: watch, download and export what the Car Computer logs.
#include "CommandLine.h"
#include "Gui.h"

#include <QApplication>
#include <QIcon>

#include <clocale>
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
    // QApplication has taken the desktop's locale for the C library too; numbers
    // on the console, in the window and in cardata.csv keep one decimal point.
    // Qt's own texts still follow the desktop's language.
    std::setlocale(LC_NUMERIC, "C");

    Gui window(device);
    window.init("TralixGui");
    window.show();
    app.exec();
    return 0;
}
