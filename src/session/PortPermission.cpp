#include "PortPermission.h"

#include "ZSerial.h"

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
