#pragma once
// Another process, alive until the object goes, that holds a device open (or
// nothing) as a terminal program such as minicom would, optionally as another
// user. It keeps none of the test's own open files.

#include <string>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace linktest {

class OtherProgram
{
public:
    explicit OtherProgram(const std::string& device = std::string(), uid_t user = ::geteuid())
    {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        child = ::fork();
        if (child == 0) {
            // Only calls that are safe after a fork of a threaded program.
            ::dup2(ready[1], 1);
            ::dup2(release[0], 0);
            ::close_range(3, ~0U, 0);
            if (user != ::geteuid() && (::setgroups(0, nullptr) != 0 || ::setresgid(user, user, user) != 0 ||
                                        ::setresuid(user, user, user) != 0))
                ::_exit(1);
            ::prctl(PR_SET_DUMPABLE, 1);  // as an ordinary program of that user: its /proc readable to them
            const char answer = device.empty() || ::open(device.c_str(), O_RDWR | O_NOCTTY) >= 0 ? '1' : '0';
            char wait;
            if (::write(1, &answer, 1) == 1 && ::read(0, &wait, 1) >= 0)
                ::_exit(0);
            ::_exit(1);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char answer = '0';
        holding = ::read(ready[0], &answer, 1) == 1 && answer == '1';
        ::close(ready[0]);
        releaseFd = release[1];
    }
    ~OtherProgram()
    {
        ::close(releaseFd);
        if (child > 0)
            ::waitpid(child, nullptr, 0);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool running() const { return holding; }
    pid_t pid() const { return child; }

private:
    pid_t child = -1;
    int releaseFd = -1;
    bool holding = false;
};

} // namespace linktest
