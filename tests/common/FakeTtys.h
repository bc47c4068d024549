#pragma once
// The kernel's description of a terminal under a folder that stands in for
// /sys/class/tty: <name>/dev holds the number of the device it stands for, and
// a ttyS has the type of its UART, "0" when there is none.

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace linktest {

inline void describeTerminal(const std::filesystem::path& ttys, const std::string& name, const std::string& device,
                             const char* uartType = nullptr)
{
    struct stat status = {};
    ::stat(device.c_str(), &status);
    std::filesystem::create_directories(ttys / name);
    std::ofstream(ttys / name / "dev") << major(status.st_rdev) << ":" << minor(status.st_rdev) << "\n";
    if (uartType)
        std::ofstream(ttys / name / "type") << uartType << "\n";
}

} // namespace linktest
