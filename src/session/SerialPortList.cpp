#include "SerialPortList.h"

#include "PortHolders.h"
#include "PortPermission.h"
#include "ZSerial.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <tuple>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// The first line of a small text file, such as one of /sys; empty when unreadable.
std::string firstLine(const std::string& path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

// The device number the kernel gives a terminal ("188:0"); 0 when it gives none.
dev_t kernelNumber(const std::string& ttys, const std::string& name)
{
    unsigned major = 0, minor = 0;
    char rest = 0;
    if (std::sscanf(firstLine(ttys + "/" + name + "/dev").c_str(), "%u:%u%c", &major, &minor, &rest) != 2)
        return 0;
    return makedev(major, minor);
}

// A ttyS is registered for every UART the machine might have; "type" 0 says
// none is there.
bool uartMissing(const std::string& ttys, const std::string& name)
{
    return firstLine(ttys + "/" + name + "/type") == "0";
}

// The character device a path leads to, links followed; false for anything else.
bool characterDevice(const std::string& path, struct stat& status)
{
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISCHR(status.st_mode);
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
    // The ports the kernel describes whose node is there, in family and number order.
    struct Terminal { int family; long number; std::string name; struct stat status; bool listed; };
    std::vector<Terminal> terminals;
    for (const std::string& name : folderEntries(folders.ttys)) {
        Terminal t{0, 0, name, {}, false};
        const std::string node = folders.devices + "/" + name;
        if (terminalPlace(name, t.family, t.number) && !uartMissing(folders.ttys, name) &&
            characterDevice(node, t.status) && t.status.st_rdev == kernelNumber(folders.ttys, name))
            terminals.push_back(t);
    }
    std::sort(terminals.begin(), terminals.end(), [](const Terminal& a, const Terminal& b) {
        return std::tie(a.family, a.number) < std::tie(b.family, b.number);
    });
    if (terminals.empty())
        return {};

    struct stat own;
    const bool haveOwn = characterDevice(ZSerial::systemDeviceName(ownDevice.c_str()), own);
    const std::set<dev_t> held = portholders::devicesHeldOpen(folders.processes);
    std::vector<SerialPortEntry> ports;
    auto list = [&](Terminal& t, const std::string& path, const std::string& name) {
        SerialPortEntry entry;
        entry.device = path;
        entry.node = resolved(path);
        entry.name = name;
        entry.ours = haveOwn && own.st_rdev == t.status.st_rdev;
        entry.inUse = !entry.ours && (held.count(t.status.st_rdev) ||
                                      portholders::lockedByAnotherProgram(folders.locks, t.name));
        entry.permissionDenied = !entry.ours && !carlink::mayReadAndWrite(t.status);
        t.listed = true;
        ports.push_back(entry);
    };

    for (const std::string& link : folderEntries(folders.byId)) {
        struct stat status;
        if (!characterDevice(folders.byId + "/" + link, status))
            continue;
        for (Terminal& t : terminals)
            if (!t.listed && t.status.st_rdev == status.st_rdev) {
                list(t, folders.byId + "/" + link, readableName(link));
                break;
            }
    }
    for (Terminal& t : terminals)
        if (!t.listed)
            list(t, folders.devices + "/" + t.name, t.name);
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
