#pragma once
// The simulator's end of the serial line: a raw pseudo-terminal whose slave side
// the program opens as its port, optionally published under a fixed name.

#include <string>

#include <termios.h>

namespace carsim {

class PseudoTerminal
{
public:
    PseudoTerminal() = default;
    ~PseudoTerminal() { close(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens a new line, and publishes it as the symbolic link `linkPath` unless
    // that is empty. False, with the reason in `error`, when it could not.
    bool open(const std::string& linkPath, std::string& error);
    // Hangs the line up for every opener of the slave and removes the link.
    void close();
    bool isOpen() const { return master >= 0; }

    // The master side, non-blocking: what the program sends is read here, what it
    // receives written here.
    int masterFd() const { return master; }
    // The slave side, e.g. /dev/pts/7; empty while closed.
    const std::string& path() const { return slavePath; }
    // Bytes waiting unread in the program's queue; -1 when that cannot be known.
    int unread() const;

    bool lineSettings(struct termios& settings) const;
    bool setLineSettings(const struct termios& settings);

private:
    bool publishLink(std::string& error);
    void removeLink();

    int master = -1;
    int slave = -1;  // kept open so that the program closing its end does not hang up ours
    std::string slavePath;
    std::string link;
};

} // namespace carsim
