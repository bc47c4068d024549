// TralixGui: watch, download and export what the Car Computer logs.
#include "CommandLine.h"
#include "Gui.h"

#include <QApplication>

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

    Gui window(device);
    window.init("TralixGui");
    window.show();
    app.exec();
    return 0;
}
