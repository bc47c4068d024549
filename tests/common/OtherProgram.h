#pragma once
// Another program, run by the user who makes it, that holds a device open until
// the object goes, as a terminal program such as minicom would.

#include <fstream>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

namespace linktest {

class OtherProgram
{
public:
    explicit OtherProgram(const std::string& device)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, device.c_str(), O_RDWR | O_NOCTTY, 0);
        char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("600"), nullptr};
        // Returns once the device is open and the exec has begun, or reports why not.
        if (posix_spawnp(&child, "sleep", &actions, nullptr, argv, nullptr) != 0)
            child = -1;
        posix_spawn_file_actions_destroy(&actions);
        // Until its new name shows, it may still carry the test's credentials (unreadable /proc).
        for (std::string name; child > 0 && name != "sleep";)
            std::ifstream("/proc/" + std::to_string(child) + "/comm") >> name;
    }
    ~OtherProgram()
    {
        if (child > 0 && ::kill(child, SIGKILL) == 0)
            ::waitpid(child, nullptr, 0);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool running() const { return child > 0; }
    pid_t pid() const { return child; }

private:
    pid_t child = -1;
};

} // namespace linktest
