#include "PortHolders.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The pid in a lock file: text, or a binary int from old programs. 0 when none.
long lockPid(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return 0;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n == sizeof(int) && std::strspn(text, " 0123456789\n") < sizeof(int)) {
        int binary = 0;
        std::memcpy(&binary, text, sizeof binary);
        return binary;
    }
    return n > 0 ? std::strtol(text, nullptr, 10) : 0;
}

bool allDigits(const char* name)
{
    return *name && std::strspn(name, "0123456789") == std::strlen(name);
}

template <typename Visit>
void forEachEntry(const std::string& folder, Visit visit)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const struct dirent* entry = ::readdir(dir))
        visit(entry->d_name);
    ::closedir(dir);
}

} // namespace

namespace portholders {

bool lockedByAnotherProgram(const std::vector<std::string>& lockFolders, const std::string& kernelName)
{
    for (const std::string& folder : lockFolders) {
        const long pid = lockPid(folder + "/LCK.." + kernelName);
        if (pid <= 0 || pid > INT_MAX || pid == long(::getpid()))
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno == EPERM)
            return true;
    }
    return false;
}

std::set<dev_t> devicesHeldOpen(const std::string& proc)
{
    std::set<dev_t> held;
    const std::string self = std::to_string(::getpid());
    forEachEntry(proc, [&](const char* pid) {
        if (!allDigits(pid) || pid == self)
            return;
        const std::string fds = proc + "/" + pid + "/fd";
        forEachEntry(fds, [&](const char* fd) {
            char target[PATH_MAX];
            const ssize_t n = ::readlink((fds + "/" + fd).c_str(), target, sizeof target - 1);
            // Only names under /dev are looked up: a file of a hung network
            // or FUSE mount could make stat wait.
            if (n <= 5 || std::strncmp(target, "/dev/", 5) != 0)
                return;
            target[n] = '\0';
            struct stat status;
            if (::stat(target, &status) == 0 && S_ISCHR(status.st_mode))
                held.insert(status.st_rdev);
        });
    });
    return held;
}

} // namespace portholders
