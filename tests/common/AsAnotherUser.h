#pragma once
// Runs a piece of a test as an ordinary user (nobody, 65534), in a child process,
// for what the system refuses such a user. Only root can switch users.

#include <functional>
#include <string>
#include <vector>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace linktest {

constexpr uid_t nobody = 65534;

inline bool canActAsAnotherUser()
{
    return ::geteuid() == 0;
}

// What `work` returns, run as nobody with no groups but `groups`.
inline std::string asAnotherUser(const std::function<std::string()>& work, const std::vector<gid_t>& groups = {})
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        std::string text = "could not become another user";
        if (::setgroups(groups.size(), groups.data()) == 0 && ::setresgid(nobody, nobody, nobody) == 0 &&
            ::setresuid(nobody, nobody, nobody) == 0)
            text = work();
        const ssize_t written = ::write(pipe[1], text.data(), text.size());
        ::_exit(written == ssize_t(text.size()) ? 0 : 1);
    }
    ::close(pipe[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(pipe[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, std::size_t(n));
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return text;
}

} // namespace linktest
