#pragma once
// A bare pseudo-terminal: the test holds the far side, the program opens the
// near side by its name, as it would a serial port.

#include <string>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace linktest {

class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        far = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (far < 0 || ::grantpt(far) != 0 || ::unlockpt(far) != 0)
            return;
        if (const char* name = ::ptsname(far))
            near = name;
    }
    ~PseudoTerminal()
    {
        if (far >= 0)
            ::close(far);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ready() const { return !near.empty(); }
    // The device the program opens, e.g. /dev/pts/7.
    const std::string& device() const { return near; }
    // Puts bytes on the line towards the program.
    bool send(const void* bytes, std::size_t n) { return ::write(far, bytes, n) == ssize_t(n); }

private:
    int far = -1;
    std::string near;
};

} // namespace linktest
