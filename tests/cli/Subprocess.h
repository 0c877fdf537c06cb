#pragma once

#include <chrono>
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

// A child process with its standard output and error captured; killed at destruction if still running.
class Subprocess {
public:
    explicit Subprocess(const std::vector<std::string>& argv);
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    // Reads until `text` has appeared on standard output or the time is up; true when it appeared.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout);
    void Signal(int signal);
    // Collects the rest of the output and the exit status; nullopt when the child is still running then.
    std::optional<Finished> Wait(std::chrono::milliseconds timeout);

private:
    // Moves what the pipes hold into the buffers, waiting at most `timeout`; false once both are closed.
    bool Pump(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    Finished result_;
};

// Runs to the end (killed after `timeout`, which fails the caller's expectations on exit code).
Finished RunToEnd(const std::vector<std::string>& argv, std::chrono::milliseconds timeout = std::chrono::seconds(20));

} // namespace zelto::testing
