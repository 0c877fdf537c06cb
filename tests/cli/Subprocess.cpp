#include "Subprocess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto::testing {

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

Subprocess::Subprocess(const std::vector<std::string>& argv) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
}

Subprocess::~Subprocess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0)
        close(outFd_);
    if (errFd_ >= 0)
        close(errFd_);
}

bool Subprocess::Pump(std::chrono::milliseconds timeout) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (outFd_ < 0 && errFd_ < 0)
        return false;
    if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0)
        return true;
    int* const owned[2] = {&outFd_, &errFd_};
    std::string* const buffers[2] = {&result_.out, &result_.err};
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0)
            continue;
        char chunk[4096];
        const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
        if (got > 0) {
            buffers[i]->append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            close(fds[i].fd);
            *owned[i] = -1;
        }
    }
    return outFd_ >= 0 || errFd_ >= 0;
}

bool Subprocess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (result_.out.find(text) == std::string::npos) {
        if (Remaining(deadline) == 0 || !Pump(std::chrono::milliseconds(Remaining(deadline))))
            return result_.out.find(text) != std::string::npos;
    }
    return true;
}

void Subprocess::Signal(int signal) {
    if (pid_ > 0)
        kill(pid_, signal);
}

std::optional<Finished> Subprocess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Remaining(deadline) > 0 && Pump(std::chrono::milliseconds(Remaining(deadline)))) {
    }
    if (pid_ <= 0)
        return std::nullopt;
    int status = 0;
    while (true) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            break;
        if (done < 0 || Remaining(deadline) == 0)
            return std::nullopt;
        usleep(5000);
    }
    pid_ = -1;
    if (WIFEXITED(status))
        result_.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result_.signal = WTERMSIG(status);
    return result_;
}

Finished RunToEnd(const std::vector<std::string>& argv, std::chrono::milliseconds timeout) {
    Subprocess child(argv);
    if (std::optional<Finished> finished = child.Wait(timeout))
        return *finished;
    return Finished{};
}

} // namespace zelto::testing
