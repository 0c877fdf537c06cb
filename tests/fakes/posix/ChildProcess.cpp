#include "fakes/ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zelto::fakes {

struct ChildProcess::Handles {
    pid_t pid = -1;
    int input = -1, output = -1;
    int status = -1;
};

ChildProcess::ChildProcess(const std::vector<std::string>& argv) : handles_(std::make_unique<Handles>()) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
        return;
    std::vector<char*> words;
    for (const std::string& word : argv)
        words.push_back(const_cast<char*>(word.c_str()));
    words.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (::posix_spawn(&handles_->pid, words[0], &actions, nullptr, words.data(), environ) != 0)
        handles_->pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    handles_->input = in[1];
    handles_->output = out[0];
}

ChildProcess::~ChildProcess() {
    Kill();
    Wait();
    ::close(handles_->input);
    ::close(handles_->output);
}

bool ChildProcess::Read(void* bytes, std::size_t size) {
    for (std::size_t got = 0; got < size;) {
        const ssize_t part = ::read(handles_->output, static_cast<char*>(bytes) + got, size - got);
        if (part <= 0)
            return false;
        got += static_cast<std::size_t>(part);
    }
    return true;
}

bool ChildProcess::Send(std::string_view bytes) {
    return ::write(handles_->input, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

void ChildProcess::Kill() {
    if (handles_->pid > 0)
        ::kill(handles_->pid, SIGKILL);
}

void ChildProcess::Terminate() {
    if (handles_->pid > 0)
        ::kill(handles_->pid, SIGTERM);
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
    // Its end is waited for on a pidfd, which poll can bound.
    const int pidfd = handles_->pid > 0 ? static_cast<int>(::syscall(SYS_pidfd_open, handles_->pid, 0)) : -1;
    pollfd ended{pidfd, POLLIN, 0};
    const bool done = pidfd >= 0 && ::poll(&ended, 1, static_cast<int>(timeout.count())) == 1;
    ::close(pidfd);
    int status = 0;
    if (done && ::waitpid(handles_->pid, &status, 0) == handles_->pid) {
        handles_->pid = -1;
        handles_->status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return handles_->status;
}

} // namespace zelto::fakes
