#pragma once

#include "platform/HookRunner.h"
#include "platform/HookRuns.h"

namespace zelto {

// posix_spawn, a pipe for what the command prints, and a thread per run that reads it, waits for the end
// and ends the command at its timeout.
class SpawnHookRunner : public HookRunner {
public:
    SpawnHookRunner() = default;

    void Start(const HookRun& run, OutputLine output, Ended ended) override;
    void EndAll(std::chrono::milliseconds grace) override;

private:
    HookThreads threads_; // a stop ends the command
};

} // namespace zelto
