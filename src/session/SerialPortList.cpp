#include "SerialPortList.h"

#include "PortPermission.h"
#include "ZSerial.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <tuple>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// What opening a candidate for a moment tells.
enum class Answer { NoPort, Free, InUse, Denied };

Answer probe(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY)  // another opener set the exclusive flag
            return Answer::InUse;
        // ENXIO, EIO, ENODEV: a ttyS without a UART behind it, an adapter on its way out.
        return carlink::isPermissionError(errno) ? Answer::Denied : Answer::NoPort;
    }
    struct termios settings;
    Answer answer = Answer::NoPort;
    if (::isatty(fd) && ::tcgetattr(fd, &settings) == 0) {
        answer = Answer::Free;
        // ZSerial and many other serial programs take this lock.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
            answer = Answer::InUse;
#ifdef TIOCGEXCL
        // root opens a port past the exclusive flag, but still sees it.
        int exclusive = 0;
        if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive)
            answer = Answer::InUse;
#endif
    }
    ::close(fd);  // also drops the lock, if it was taken here
    return answer;
}

// A UUCP lock file (LCK..ttyUSB0) of a process that still runs. Its pid is
// written as text, or by old programs as a binary int.
bool lockedByAnotherProgram(const std::string& locks, const std::string& deviceName)
{
    const std::string path = locks + "/LCK.." + deviceName;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    long pid = 0;
    if (n == sizeof(int) && std::strspn(text, " 0123456789\n") < sizeof(int)) {
        int binary = 0;
        std::memcpy(&binary, text, sizeof binary);
        pid = binary;
    } else if (n > 0) {
        pid = std::strtol(text, nullptr, 10);
    }
    if (pid <= 0 || pid > INT_MAX || pid == long(::getpid()))
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

std::string resolved(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return std::string();
    std::string result(real);
    std::free(real);
    return result;
}

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const struct dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

const char* const terminalFamilies[] = {"ttyUSB", "ttyACM", "ttyS"};
constexpr int familyCount = int(sizeof terminalFamilies / sizeof terminalFamilies[0]);

// Where a device name sorts among the terminals: family, then number (ttyUSB2
// before ttyUSB10). False for names of no family.
bool terminalPlace(const std::string& name, int& family, long& number)
{
    for (family = 0; family < familyCount; ++family) {
        const std::string prefix = terminalFamilies[family];
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        number = std::strtol(digits.c_str(), nullptr, 10);
        return true;
    }
    return false;
}

bool looksLikeSerialNumber(const std::string& word)
{
    bool digit = false;
    for (char c : word) {
        if (c >= 'a' && c <= 'z')
            return false;
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')))
            return false;
        digit = digit || (c >= '0' && c <= '9');
    }
    return digit;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

std::string SerialPortEntry::description() const
{
    std::string text = name == baseName(device) ? device : name + " - " + node;
    if (ours)
        text += ": open in TralixGui";
    else if (inUse)
        text += ": in use by another program";
    else if (permissionDenied)
        text += ": permission denied";
    return text;
}

SerialPortList::SerialPortList() : SerialPortList(Folders()) {}

SerialPortList::SerialPortList(Folders folders) : folders(std::move(folders)) {}

void SerialPortList::setOwnDevice(const std::string& device)
{
    ownDevice = device;
}

std::vector<SerialPortEntry> SerialPortList::scan() const
{
    const std::string ownNode = ownDevice.empty() ? std::string()
                                                  : resolved(ZSerial::systemDeviceName(ownDevice.c_str()));
    std::vector<SerialPortEntry> ports;
    std::set<std::string> listedNodes;

    auto consider = [&](const std::string& path, const std::string& name, const std::string& lockName) {
        SerialPortEntry entry;
        entry.device = path;
        entry.node = resolved(path);
        entry.name = name;
        if (entry.node.empty() || listedNodes.count(entry.node))
            return;
        if (!ownNode.empty() && entry.node == ownNode) {
            entry.ours = true;
        } else {
            const Answer answer = probe(path);
            if (answer == Answer::NoPort)
                return;
            entry.inUse = answer == Answer::InUse || lockedByAnotherProgram(folders.locks, baseName(entry.node)) ||
                          (!lockName.empty() && lockedByAnotherProgram(folders.locks, lockName));
            entry.permissionDenied = answer == Answer::Denied;
        }
        listedNodes.insert(entry.node);
        ports.push_back(entry);
    };

    for (const std::string& link : folderEntries(folders.byId))
        consider(folders.byId + "/" + link, readableName(link), std::string());

    struct Terminal { int family; long number; std::string name; };
    std::vector<Terminal> terminals;
    for (const std::string& name : folderEntries(folders.devices)) {
        Terminal t{0, 0, name};
        if (terminalPlace(name, t.family, t.number))
            terminals.push_back(t);
    }
    std::sort(terminals.begin(), terminals.end(), [](const Terminal& a, const Terminal& b) {
        return std::tie(a.family, a.number) < std::tie(b.family, b.number);
    });
    for (const Terminal& t : terminals)
        consider(folders.devices + "/" + t.name, t.name, t.name);
    return ports;
}

std::string SerialPortList::readableName(const std::string& byIdName)
{
    std::string rest = byIdName;
    for (const char* bus : {"usb-", "pci-", "platform-"})
        if (rest.compare(0, std::strlen(bus), bus) == 0) {
            rest.erase(0, std::strlen(bus));
            break;
        }
    // "-if00" names the adapter's interface; "-port0" after it adds nothing.
    int interface = 0;
    const std::size_t suffix = rest.rfind("-if");
    if (suffix != std::string::npos && suffix + 5 <= rest.size() && isHexDigit(rest[suffix + 3]) &&
        isHexDigit(rest[suffix + 4])) {
        interface = int(std::strtol(rest.substr(suffix + 3, 2).c_str(), nullptr, 16));
        rest.erase(suffix);
    }

    // udev joins vendor, model and serial number with '_' and writes '_' for
    // every character it does not keep.
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = std::min(rest.find('_', start), rest.size());
        if (end > start)
            words.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    if (words.empty())
        return byIdName;
    std::string serial;
    if (words.size() >= 2 && looksLikeSerialNumber(words.back())) {
        serial = words.back();
        words.pop_back();
    }
    std::string name = words.front();
    for (std::size_t i = 1; i < words.size(); ++i)
        name += " " + words[i];
    if (!serial.empty())
        name += " (" + serial + ")";
    if (interface != 0)
        name += ", interface " + std::to_string(interface);
    return name;
}
