#pragma once
// Whether another program holds a serial port, told without opening the port:
// an open toggles its DTR and RTS lines, and many boards, the Car Computer
// among them, reset on that.

#include <set>
#include <string>
#include <vector>

#include <sys/types.h>

namespace portholders {

// True when one of `lockFolders` has a UUCP lock file for `kernelName`
// (LCK..ttyUSB0) whose process still runs. A process of another user counts:
// that it may not be signalled shows it is there. This program's own lock does not.
bool lockedByAnotherProgram(const std::vector<std::string>& lockFolders, const std::string& kernelName);

// The device numbers of the character devices that other processes hold open,
// as far as `proc` (/proc) shows them: this user's processes, or every one for root.
std::set<dev_t> devicesHeldOpen(const std::string& proc);

} // namespace portholders
