#include "PortPermission.h"

#include "ZSerial.h"

#include <algorithm>
#include <cerrno>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Debian's group for serial ports.
const char* const serialGroup = "dialout";

std::string userName()
{
    const struct passwd* user = ::getpwuid(::geteuid());
    return user && user->pw_name && *user->pw_name ? user->pw_name : "$USER";
}

} // namespace

namespace carlink {

bool isPermissionError(int error)
{
    return error == EACCES || error == EPERM;
}

bool mayReadAndWrite(const struct stat& device, uid_t uid, gid_t gid, const std::vector<gid_t>& groups)
{
    if (uid == 0)
        return true;
    mode_t readWrite = S_IROTH | S_IWOTH;
    if (uid == device.st_uid)
        readWrite = S_IRUSR | S_IWUSR;
    else if (gid == device.st_gid || std::count(groups.begin(), groups.end(), device.st_gid))
        readWrite = S_IRGRP | S_IWGRP;
    return (device.st_mode & readWrite) == readWrite;
}

bool mayReadAndWrite(const struct stat& device)
{
    std::vector<gid_t> groups(std::size_t(std::max(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(int(groups.size()), groups.data());
    groups.resize(std::size_t(std::max(count, 0)));
    return mayReadAndWrite(device, ::geteuid(), ::getegid(), groups);
}

std::string deviceGroup(const char* device)
{
    const std::string name = ZSerial::systemDeviceName(device);
    struct stat status;
    if (name.empty() || ::stat(name.c_str(), &status) != 0)
        return serialGroup;
    const mode_t readWrite = S_IRGRP | S_IWGRP;
    if (status.st_gid == 0 || (status.st_mode & readWrite) != readWrite)
        return serialGroup;
    const struct group* group = ::getgrgid(status.st_gid);
    return group && group->gr_name && *group->gr_name ? group->gr_name : serialGroup;
}

std::string permissionHelp(const char* device)
{
    const std::string group = deviceGroup(device);
    return "Permission denied: add your user to the group " + group + " (sudo adduser " + userName() + " " +
           group + "), then log out and in again";
}

} // namespace carlink
