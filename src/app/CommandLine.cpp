#include "CommandLine.h"

int parseCommandLine(int argc, const char* const* argv, ZString& device)
{
    device = "COM1";
    int i = 1;
    while (i < argc) {
        const char* word = argv[i];
        if (word[0] != '-') {
            ++i;
            continue;
        }
        if (word[1] != 'd')
            return 1;
        device = i + 1 < argc ? argv[i + 1] : "";
        i += 2;
    }
    return 0;
}
