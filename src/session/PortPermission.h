#pragma once
// What a user can do when the system refuses them a serial device: on Debian,
// serial devices belong to the group dialout, and a user joins it once.

#include <string>

namespace carlink {

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
