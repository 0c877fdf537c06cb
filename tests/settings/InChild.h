#pragma once

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace zelto::testing {

// Runs body in a child process that ends with its result as exit code; that exit code. The child opens its
// own settings files: one the parent holds open would share the parent's lock.
inline int InChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace zelto::testing
