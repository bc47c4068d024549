#pragma once
// Switches the process to a German locale (decimal comma) while it lives, as a
// German desktop's QApplication does at start-up. When the machine has no such
// locale, one is compiled into a temporary folder with localedef.

#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

class GermanLocale
{
public:
    GermanLocale() : previous(std::setlocale(LC_ALL, nullptr))
    {
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") || !folder.isValid())
            return;
        const std::string target = folder.path().toStdString() + "/de_DE.utf8";
        const std::string command = "localedef -i de_DE -f UTF-8 '" + target + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return;
        setenv("LOCPATH", folder.path().toLocal8Bit().constData(), 1);
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    ~GermanLocale()
    {
        std::setlocale(LC_ALL, previous.c_str());
        unsetenv("LOCPATH");
    }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    // True when printf now writes a decimal comma.
    bool active() const
    {
        char text[16];
        std::snprintf(text, sizeof text, "%g", 12.5);
        return std::strcmp(text, "12,5") == 0;
    }

private:
    std::string previous;
    QTemporaryDir folder;
};
