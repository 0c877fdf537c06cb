#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zelto::testing {

struct Finished {
    int exitCode = -1; // -1 when ended by a signal
    int signal = 0;
    std::string out;
    std::string err;
};

// A child process whose standard output and error go to files in `folder`; killed at destruction if still
// running.
class Subprocess {
public:
    Subprocess(const std::vector<std::string>& argv, const std::filesystem::path& folder);
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    // True once `text` has appeared on standard output, false when the time is up first.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) const;
    void Signal(int signal) const;
    // The exit status and all output; nullopt when the child is still running after `timeout`.
    std::optional<Finished> Wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    std::filesystem::path out_;
    std::filesystem::path err_;
};

// Runs to the end; a child still running after `timeout` is killed and reported with exit code -1.
Finished RunToEnd(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                  std::chrono::milliseconds timeout = std::chrono::seconds(20));

} // namespace zelto::testing
