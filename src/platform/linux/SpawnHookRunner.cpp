#include "platform/linux/SpawnHookRunner.h"

#include "platform/HookRuns.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace zelto {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Owned by this user or root, and not writable by group or others: nobody else could have put it there.
bool Trusted(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    return (info.st_uid == ::geteuid() || info.st_uid == 0) && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Spawns the command with its output on `pipe[1]`; -1, with the error, when it could not be started.
pid_t Spawn(const HookRun& run, int outputFd, int& error) {
    std::vector<std::string> words{run.executable.string()};
    words.insert(words.end(), run.arguments.begin(), run.arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> inherited;
    for (char** entry = environ; *entry != nullptr; ++entry)
        inherited.emplace_back(*entry);
    std::vector<std::string> variables = HookEnvironment(std::move(inherited), run);
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
    // Its own process group, so that ending it also ends what it started.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    error = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

HookOutcome Supervise(const HookRun& run, pid_t pid, int readFd, HookOutputLines& lines, const std::stop_token& stop) {
    const Clock::time_point deadline = Clock::now() + run.timeout;
    bool open = true;
    bool exited = false;
    int status = 0;
    for (;;) {
        exited = exited || ::waitpid(pid, &status, WNOHANG) == pid;
        if (exited && !open) {
            if (WIFEXITED(status))
                return {WEXITSTATUS(status) == 0 ? HookEnd::Succeeded : HookEnd::Failed, WEXITSTATUS(status), {}, {}};
            return {HookEnd::Failed, WIFSIGNALED(status) ? WTERMSIG(status) : 0, {}, {}};
        }
        if (Clock::now() >= deadline || stop.stop_requested()) {
            ::kill(-pid, SIGKILL);
            if (!exited)
                ::waitpid(pid, &status, 0);
            return {HookEnd::TimedOut, 0, {}, {}};
        }
        if (!open) {
            std::this_thread::sleep_for(20ms); // the output ended before the process
            continue;
        }
        pollfd entry{readFd, POLLIN, 0};
        if (::poll(&entry, 1, 50) > 0) {
            char buffer[1024];
            const ssize_t got = ::read(readFd, buffer, sizeof buffer);
            if (got > 0)
                lines.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
            else if (got == 0 || errno != EINTR)
                open = false;
        }
    }
}

std::optional<HookOutcome> NotStarted(int error) {
    return HookOutcome{HookEnd::NotStarted, error, {}, std::strerror(error)};
}

} // namespace

std::optional<HookOutcome> HookRefusal(const std::filesystem::path& executable) {
    struct stat info {};
    if (::stat(executable.c_str(), &info) != 0)
        return NotStarted(errno);
    if (!Trusted(executable))
        return HookOutcome{HookEnd::NotTrusted, 0, executable.string(), {}};
    // What starting it would say: a folder or a file without the execute bit cannot be run.
    if (!S_ISREG(info.st_mode) || ::access(executable.c_str(), X_OK) != 0)
        return NotStarted(EACCES);
    return std::nullopt;
}

void SpawnHookRunner::EndAll(std::chrono::milliseconds grace) {
    threads_.EndAll(grace);
}

void SpawnHookRunner::Start(const HookRun& run, OutputLine output, Ended ended) {
    if (!Trusted(run.settingsFile)) {
        ended({HookEnd::NotTrusted, 0, run.settingsFile.string(), {}});
        return;
    }
    if (const std::optional<HookOutcome> refusal = HookRefusal(run.executable)) {
        ended(*refusal);
        return;
    }
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        ended(*NotStarted(errno));
        return;
    }
    int error = 0;
    const pid_t pid = Spawn(run, pipe[1], error);
    ::close(pipe[1]);
    if (pid < 0) {
        ::close(pipe[0]);
        ended(*NotStarted(error));
        return;
    }
    threads_.Add([run, pid, readFd = pipe[0], output = std::move(output),
                  ended = std::move(ended)](const std::stop_token& stop) {
        HookOutputLines lines(output);
        const HookOutcome outcome = Supervise(run, pid, readFd, lines, stop);
        lines.Flush();
        ::close(readFd);
        ended(outcome);
    });
}

} // namespace zelto
