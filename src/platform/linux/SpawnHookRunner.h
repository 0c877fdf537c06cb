#pragma once

#include "platform/HookRunner.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zelto {

// posix_spawn, a pipe for what the command prints, and a thread per run that reads it, waits for the end
// and ends the command at its timeout.
class SpawnHookRunner : public HookRunner {
public:
    SpawnHookRunner() = default;
    ~SpawnHookRunner() override;

    void Start(const HookRun& run, OutputLine output, Ended ended) override;
    void EndAll(std::chrono::milliseconds grace) override;

private:
    struct Run {
        std::shared_ptr<std::atomic<bool>> done;
        std::jthread thread; // a stop ends the command; last, so it joins before `done` goes
    };
    std::mutex mutex_;
    std::vector<Run> runs_;
};

} // namespace zelto
