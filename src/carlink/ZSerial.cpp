#include "ZSerial.h"

#include "LinkConstants.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using SteadyClock = std::chrono::steady_clock;

struct BaudRate
{
    int rate;
    speed_t speed;
};

constexpr BaudRate supportedRates[] = {
    {300, B300},     {1200, B1200},   {2400, B2400},   {4800, B4800},
    {9600, B9600},   {19200, B19200}, {38400, B38400}, {115200, B115200},
};

constexpr short goneEvents = POLLHUP | POLLERR | POLLNVAL;

// Errors that mean the device itself is gone, not that one call failed.
bool deviceGone(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE;
}

int millisecondsUntil(SteadyClock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    // Round up so that a deadline a fraction of a millisecond away is still waited for.
    return left.count() < 0 ? 0 : int(left.count()) + 1;
}

// Waits for `events` on fd until the deadline. 1 when they came, 0 at the deadline,
// -1 when the device has gone away or poll failed.
int waitFor(int fd, short events, SteadyClock::time_point deadline)
{
    for (;;) {
        struct pollfd p = {fd, events, 0};
        int n = ::poll(&p, 1, millisecondsUntil(deadline));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            return SteadyClock::now() >= deadline ? 0 : 1;
        // A hung-up line may still report POLLIN; the hang-up wins, since the
        // tty layer answers every later read with end-of-file.
        if (p.revents & goneEvents)
            return -1;
        return 1;
    }
}

} // namespace

ZSerial::ZSerial() : handle(-1), lost(false), openError(0) {}

int ZSerial::handleFailure(int error)
{
    if (deviceGone(error))
        lost = true;
    return -1;
}

ZSerial::~ZSerial()
{
    close();
}

std::string ZSerial::systemDeviceName(const char* device)
{
    if (!device)
        return std::string();
    if (std::strncmp(device, "COM", 3) == 0 && device[3] != '\0') {
        const char* digits = device + 3;
        bool allDigits = true;
        for (const char* c = digits; *c; ++c)
            allDigits = allDigits && *c >= '0' && *c <= '9';
        if (allDigits && std::strlen(digits) <= 6) {
            long n = std::strtol(digits, nullptr, 10);
            if (n >= 1)
                return "/dev/ttyS" + std::to_string(n - 1);
        }
    }
    return device;
}

int ZSerial::open(const char* device)
{
    close();
    lost = false;
    openError = ENOENT;
    if (!device || !*device)
        return 1;

    const std::string name = systemDeviceName(device);
    // O_NONBLOCK stays on: reads and writes wait in poll, with a deadline.
    int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        openError = errno;
        return 1;
    }

    struct termios settings;
    if (!::isatty(fd) || ::tcgetattr(fd, &settings) != 0) {
        openError = ENOTTY;
        ::close(fd);
        return 1;
    }
    // The flock keeps out every other opener, root included, which TIOCEXCL alone does not.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        openError = EBUSY;
        ::close(fd);
        return 1;
    }
    ::ioctl(fd, TIOCEXCL);

    handle = fd;
    openError = 0;
    return 0;
}

std::string ZSerial::openFailure() const
{
    switch (openError) {
    case 0:
        return std::string();
    case ENOTTY:
        return "not a serial port";
    case EBUSY:
        return "in use by another program";
    default:
        return std::strerror(openError);
    }
}

bool ZSerial::openDeniedByPermissions() const
{
    return openError == EACCES || openError == EPERM;
}

int ZSerial::close()
{
    if (handle < 0)
        return 0;
    // The exclusive flag belongs to the tty, not to this descriptor: it would outlive
    // the close while another process (a simulator) keeps the line open.
    ::ioctl(handle, TIOCNXCL);
    ::close(handle);
    handle = -1;
    lost = false;
    return 0;
}

int ZSerial::setBaud(int rate)
{
    const BaudRate* chosen = nullptr;
    for (const BaudRate& r : supportedRates)
        if (r.rate == rate)
            chosen = &r;
    if (!chosen || handle < 0)
        return -1;

    struct termios settings;
    if (::tcgetattr(handle, &settings) != 0)
        return -1;
    ::cfmakeraw(&settings);
    settings.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL |
                          IUCLC | IXON | IXOFF | IXANY | IMAXBEL);
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL | IEXTEN | NOFLSH | TOSTOP);
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    // One byte satisfies a read: with O_NONBLOCK an empty queue then gives EAGAIN,
    // so a read that returns 0 always means the line has gone away.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, chosen->speed);
    ::cfsetospeed(&settings, chosen->speed);
    if (::tcsetattr(handle, TCSANOW, &settings) != 0)
        return -1;

    // DTR and RTS inactive. A pseudo-terminal has no modem lines and refuses this.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(handle, TIOCMBIC, &lines);
    return 0;
}

int ZSerial::read(void* buf, int n)
{
    if (handle < 0 || !buf || n < 0)
        return -1;
    auto* bytes = static_cast<unsigned char*>(buf);
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(carlink::readTimeoutMs);
    int got = 0;
    while (got < n) {
        ssize_t r = ::read(handle, bytes + got, size_t(n - got));
        if (r > 0) {
            got += int(r);
            continue;
        }
        if (r == 0) {
            // End of file on a terminal: the line has hung up.
            lost = true;
            return got > 0 ? got : -1;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            const int failed = handleFailure(errno);
            return got > 0 ? got : failed;
        }
        int ready = waitFor(handle, POLLIN, deadline);
        if (ready == 0)
            return got;
        if (ready < 0) {
            lost = true;
            // Take what the driver still holds before reporting the loss.
            r = ::read(handle, bytes + got, size_t(n - got));
            if (r > 0)
                got += int(r);
            return got > 0 ? got : -1;
        }
    }
    return got;
}

int ZSerial::write(const void* buf, int n)
{
    if (handle < 0 || !buf || n < 0)
        return -1;
    const auto* bytes = static_cast<const unsigned char*>(buf);
    int sent = 0;
    while (sent < n) {
        ssize_t r = ::write(handle, bytes + sent, size_t(n - sent));
        if (r > 0) {
            sent += int(r);
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return handleFailure(errno);
        // The driver's queue is full: a line that takes no byte for a whole
        // read time-out is as good as gone.
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(carlink::readTimeoutMs);
        const int ready = waitFor(handle, POLLOUT, deadline);
        if (ready < 0)
            lost = true;
        if (ready != 1)
            return sent > 0 ? sent : -1;
    }
    return sent;
}

int ZSerial::bytesAvailable()
{
    if (handle < 0)
        return -1;
    // An unplugged line can still answer FIONREAD; the hang-up shows in poll.
    struct pollfd p = {handle, POLLIN, 0};
    int ready;
    do
        ready = ::poll(&p, 1, 0);
    while (ready < 0 && errno == EINTR);
    if (ready < 0)
        return handleFailure(errno);
    if (ready > 0 && (p.revents & goneEvents)) {
        lost = true;
        return -1;
    }
    int count = 0;
    if (::ioctl(handle, FIONREAD, &count) != 0)
        return handleFailure(errno);
    return count;
}

int ZSerial::purge()
{
    if (handle < 0)
        return -1;
    ::tcdrain(handle);
    ::tcflush(handle, TCIOFLUSH);
    return 0;
}
