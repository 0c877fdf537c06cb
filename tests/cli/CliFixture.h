#pragma once

#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

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
    // Starts a run without waiting for it (its output goes to `out` and `err` as Cli's does).
    pid_t Start(const std::vector<std::string>& args) {
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
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        for (const auto& [fd, file] : {std::pair{1, &out}, std::pair{2, &err}})
            posix_spawn_file_actions_addopen(&actions, fd, file->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND,
                                             0600);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    // Waits for a started run; killed after `timeout`, exit code -1.
    Finished Wait(pid_t pid, std::chrono::milliseconds timeout) {
        int status = 0;
        for (auto polls = timeout / 5ms; waitpid(pid, &status, WNOHANG) != pid; std::this_thread::sleep_for(5ms))
            if (--polls < 0) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return Finished{-1, fakes::ReadFile(out), fakes::ReadFile(err)};
            }
        return Finished{WIFEXITED(status) ? WEXITSTATUS(status) : -1, fakes::ReadFile(out), fakes::ReadFile(err)};
    }
    void Expect(const std::vector<std::string>& args, int exitCode, const std::string& output,
                const std::string& error = "") {
        SCOPED_TRACE(args.front() + " " + args.back());
        const Finished run = Cli(args);
        EXPECT_EQ(std::tie(run.exitCode, run.out, run.err), std::tie(exitCode, output, error));
    }

    // The lines with their leading local time ("2026-12-06 20:15:03 ") taken off, a line without one marked.
    static std::string WithoutTimestamps(const std::string& lines) {
        static const std::regex unstamped(R"(^(?!\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )(?=.))", std::regex::multiline);
        static const std::regex stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )", std::regex::multiline);
        return std::regex_replace(std::regex_replace(lines, unstamped, "(no time) "), stamp, "");
    }

    // A fresh reader each time: the executable wrote the file from another process.
    std::string Setting(const std::string& key) { return SettingsFile(path).ReadText(key); }
};

} // namespace zelto::testing
