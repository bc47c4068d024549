#pragma once
// Switches the process to a German locale (decimal comma) while it lives.
// When the machine has no such locale, one is compiled into a temporary
// folder with localedef, as a user's machine would have it.

#include "TempFolder.h"

#include <clocale>
#include <cstdlib>
#include <string>

class GermanNumbers
{
public:
    GermanNumbers() : previous(std::setlocale(LC_ALL, nullptr))
    {
        if (std::setlocale(LC_ALL, "de_DE.UTF-8"))
            return;
        if (!folder.isValid())
            return;
        const std::string target = folder.filePath("de_DE.utf8");
        const std::string command = "localedef -i de_DE -f UTF-8 '" + target + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return;
        setenv("LOCPATH", folder.path().c_str(), 1);
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    ~GermanNumbers()
    {
        std::setlocale(LC_ALL, previous.c_str());
        unsetenv("LOCPATH");
    }
    GermanNumbers(const GermanNumbers&) = delete;
    GermanNumbers& operator=(const GermanNumbers&) = delete;

    bool active() const
    {
        const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
        return numeric && std::string(numeric).rfind("de_DE", 0) == 0;
    }

private:
    std::string previous;
    TempFolder folder;
};
