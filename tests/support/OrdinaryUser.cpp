#include "OrdinaryUser.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

std::optional<int> RunAsOrdinaryUser(const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return std::nullopt;
    if (pid == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 ||
                               setuid(65534) != 0 || geteuid() == 0))
            _exit(kSkip);
        // _exit: the child must not run the parent's exit handlers or flush its buffers.
        _exit(body());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return 128;
    if (WEXITSTATUS(status) == kSkip)
        return std::nullopt;
    return WEXITSTATUS(status);
}
