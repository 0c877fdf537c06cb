#pragma once

#include "platform/HookRunner.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace zelto {

// What both hook runners share, free of any system's headers.

// Hands the complete lines of what a command prints to `output` until 4 KiB are spent; what is left over is
// cut at the bound. Carriage returns go: a line is what a reader of the log sees.
class HookOutputLines {
public:
    static constexpr std::size_t kMaxOutput = 4096;

    explicit HookOutputLines(HookRunner::OutputLine output) : output_(std::move(output)) {}

    void Feed(std::string_view bytes);
    // The last line, when the output ended without a line end.
    void Flush();

private:
    HookRunner::OutputLine output_;
    std::string line_;
    std::size_t used_ = 0;
};

// The client's environment ("NAME=value" each) with the run's variables set in place of any of the same name.
std::vector<std::string> HookEnvironment(std::vector<std::string> inherited, const HookRun& run);

// The threads that watch the runs still going, one each.
class HookThreads {
public:
    HookThreads() = default;
    // Ends the runs still going.
    ~HookThreads() { EndAll(std::chrono::milliseconds(0)); }
    HookThreads(const HookThreads&) = delete;
    HookThreads& operator=(const HookThreads&) = delete;

    // Runs `watch` on a thread of its own; a stop request asks it to end its command and return.
    void Add(std::function<void(std::stop_token)> watch);
    // Waits up to `grace` for the runs to end by themselves, then stops and joins every thread.
    void EndAll(std::chrono::milliseconds grace);

private:
    struct Run {
        std::shared_ptr<std::atomic<bool>> done;
        std::jthread thread; // last, so that it joins before `done` goes
    };
    std::mutex mutex_;
    std::vector<Run> runs_;
};

} // namespace zelto
