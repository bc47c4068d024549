#include "CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Case
{
    std::vector<const char*> words;  // after the program name
    int result;
    const char* device;
};

} // namespace

TEST(CommandLine, NamesTheDeviceAfterTheLastDashD)
{
    const Case cases[] = {
        {{}, 0, "COM1"},
        {{"-d", "COM4"}, 0, "COM4"},
        {{"-d", "/dev/ttyUSB0"}, 0, "/dev/ttyUSB0"},
        {{"-d"}, 0, ""},                          // a missing word is the empty name
        {{"-dCOM4", "COM5"}, 0, "COM5"},          // only the first two characters count
        {{"-d", "COM2", "-d", "COM3"}, 0, "COM3"},
        {{"COM2"}, 0, "COM1"},                    // a word that is not an option is skipped
        {{"-d", "-x"}, 0, "-x"},                  // the word after -d is always the device
        {{"-x"}, 1, nullptr},
        {{"-d", "COM2", "-platform", "offscreen"}, 1, nullptr},
        {{"-"}, 1, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"tralixGui"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        ZString device("unchanged");
        const int result = parseCommandLine(int(argv.size()), argv.data(), device);
        std::string shown;
        for (const char* w : c.words)
            shown += std::string(w) + " ";
        EXPECT_EQ(result, c.result) << shown;
        if (c.device) {
            EXPECT_STREQ(device.cStr(), c.device) << shown;
        }
    }
}
