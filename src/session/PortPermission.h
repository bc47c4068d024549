#pragma once
// What a user can do when the system refuses them a serial device: on Debian,
// serial devices belong to the group dialout, and a user joins it once.

#include <string>
#include <vector>

#include <sys/stat.h>

namespace carlink {

// Whether a user may both read and write a device with this owner, group and
// mode. A serial port needs both. As the kernel does, the first of owner,
// group (the user's own or a supplementary one) and others that the user
// belongs to decides, even when a later class would grant more; root may
// always. ACLs are not looked at.
bool mayReadAndWrite(const struct stat& device, uid_t uid, gid_t gid, const std::vector<gid_t>& groups);
// The same for the user this program runs as.
bool mayReadAndWrite(const struct stat& device);

// True for the errors that mean this user may not open the device (EACCES, EPERM).
bool isPermissionError(int error);

// The group whose members may read and write `device` (a COMn name, a link or
// the device node); "dialout" when the device's own group cannot be told or
// would not help (root's group, or a group without read and write access).
std::string deviceGroup(const char* device);

// One line for the status bar and the console, for example:
// "Permission denied: add your user to the group dialout (sudo adduser alice dialout),
//  then log out and in again". `alice` is the user the program runs as.
std::string permissionHelp(const char* device);

} // namespace carlink
