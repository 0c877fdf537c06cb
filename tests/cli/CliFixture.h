#pragma once

#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zelto::testing {

using namespace std::chrono_literals;

struct Finished {
    int exitCode = -1; // also when ended by a signal
    std::string out;
    std::string err;
    std::string All() const { return out + err; }
};

// Runs the built zelto-premium on a settings file in a folder of its own.
class CliTest : public ::testing::Test {
protected:
    fakes::TempDir dir;
    std::filesystem::path path = dir.File("ZeltoPre.INI");              // no --settings when empty
    std::vector<std::string> env;                                       // "NAME=value" for the runs
    std::vector<std::string> runAs;                                     // a command the runs go through
    std::filesystem::path out = dir.File("out"), err = dir.File("err"); // emptied at each start
    std::optional<std::string> input; // standard input of the runs; /dev/null when unset
    std::filesystem::path program = ZELTO_PREMIUM_EXE;

    // Runs in the test's folder through env(1), which sets `env` first; killed after `timeout`, exit code -1.
    Finished Cli(const std::vector<std::string>& args, std::chrono::milliseconds timeout = 20s) {
        return Wait(Start(args), timeout);
    }
    // Starts a run without waiting for it; its output goes to `out` and `err`, or both to `output`, a pipe or a
    // terminal (then its input too).
    pid_t Start(const std::vector<std::string>& args, int output = -1) {
        std::vector<std::string> words = runAs;
        words.insert(words.end(), {"/usr/bin/env", "-C", dir.Path().string()});
        words.insert(words.end(), env.begin(), env.end());
        words.push_back(program.string());
        if (!path.empty())
            words.insert(words.end(), {"--settings", path.string()});
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        const std::filesystem::path in = input ? dir.File("in") : std::filesystem::path("/dev/null");
        if (input)
            fakes::WriteFile(in, *input);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (output >= 0 && isatty(output))
            posix_spawn_file_actions_adddup2(&actions, output, 0);
        else
            posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        for (const auto& [fd, file] : {std::pair{1, &out}, std::pair{2, &err}})
            if (output >= 0)
                posix_spawn_file_actions_adddup2(&actions, output, fd);
            else
                posix_spawn_file_actions_addopen(&actions, fd, file->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND,
                                                 0600);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    // The wait status of a started run once it ends; killed after `timeout`.
    static int Reap(pid_t pid, std::chrono::milliseconds timeout) {
        pollfd ended{static_cast<int>(syscall(SYS_pidfd_open, pid, 0)), POLLIN, 0};
        if (poll(&ended, 1, static_cast<int>(timeout.count())) != 1)
            kill(pid, SIGKILL);
        close(ended.fd);
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }
    Finished Wait(pid_t pid, std::chrono::milliseconds timeout) {
        const int status = Reap(pid, timeout);
        return Finished{WIFEXITED(status) ? WEXITSTATUS(status) : -1, fakes::ReadFile(out), fakes::ReadFile(err)};
    }
    void Expect(const std::vector<std::string>& args, int exitCode, const std::string& output,
                const std::string& error = "") {
        SCOPED_TRACE(args.front() + " " + args.back());
        const Finished run = Cli(args);
        EXPECT_EQ(std::tie(run.exitCode, run.out, run.err), std::tie(exitCode, output, error));
    }

    // "domain add example com" as the shell splits it.
    static std::vector<std::string> Words(const std::string& line) {
        std::istringstream words(line);
        return {std::istream_iterator<std::string>(words), {}};
    }
    nlohmann::json StatusJson() { return nlohmann::json::parse(Cli({"status", "--json"}).out); }

    // A fresh reader each time: the executable wrote the file from another process.
    std::string Setting(const std::string& key) { return SettingsFile(path).ReadText(key); }
};

} // namespace zelto::testing
