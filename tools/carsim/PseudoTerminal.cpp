#include "PseudoTerminal.h"

#include <cstdlib>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace carsim {

namespace {

void setCloseOnExec(int fd)
{
    ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

bool PseudoTerminal::open(const std::string& linkPath, std::string& error)
{
    int m = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0) {
        error = "no pseudo-terminal";
        return false;
    }
    setCloseOnExec(m);
    char name[128];
    if (::grantpt(m) != 0 || ::unlockpt(m) != 0 || ::ptsname_r(m, name, sizeof name) != 0) {
        ::close(m);
        error = "no pseudo-terminal";
        return false;
    }
    int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s < 0) {
        ::close(m);
        error = std::string("cannot open ") + name;
        return false;
    }
    // A pseudo-terminal starts cooked: it would echo the program's bytes back and
    // swallow 0x03, 0x0D, 0x11 and 0x13. Raw before anyone can open it.
    struct termios settings;
    ::tcgetattr(s, &settings);
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&settings, B4800);
    ::cfsetospeed(&settings, B4800);
    ::tcsetattr(s, TCSANOW, &settings);
    setNonBlocking(m);

    master = m;
    slave = s;
    slavePath = name;
    link = linkPath;
    if (!link.empty() && !publishLink(error)) {
        ::close(master);
        ::close(slave);
        master = slave = -1;
        slavePath.clear();
        return false;
    }
    return true;
}

void PseudoTerminal::close()
{
    if (master < 0)
        return;
    removeLink();
    // Closing the master hangs the line up for every opener of the slave.
    ::close(master);
    ::close(slave);
    master = slave = -1;
    slavePath.clear();
}

int PseudoTerminal::unread() const
{
    int bytes = 0;
    return ::ioctl(slave, FIONREAD, &bytes) == 0 && bytes >= 0 ? bytes : -1;
}

bool PseudoTerminal::publishLink(std::string& error)
{
    struct stat st;
    if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = link + " exists and is not a symbolic link";
        return false;
    }
    // Replaced in one step, so that the path never names nothing while a stale link goes.
    const std::string temporary = link + ".carsim-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(slavePath.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), link.c_str()) != 0) {
        ::unlink(temporary.c_str());
        error = "cannot create the link " + link;
        return false;
    }
    return true;
}

void PseudoTerminal::removeLink()
{
    if (link.empty() || slavePath.empty())
        return;
    char target[256];
    ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    // Only our own link goes; another simulator may have taken the name since.
    if (n > 0 && std::string(target, std::size_t(n)) == slavePath)
        ::unlink(link.c_str());
}

bool PseudoTerminal::lineSettings(struct termios& settings) const
{
    return slave >= 0 && ::tcgetattr(slave, &settings) == 0;
}

bool PseudoTerminal::setLineSettings(const struct termios& settings)
{
    return slave >= 0 && ::tcsetattr(slave, TCSANOW, &settings) == 0;
}

} // namespace carsim
