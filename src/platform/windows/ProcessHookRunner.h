#pragma once

#include "platform/HookRunner.h"
#include "platform/HookRuns.h"

namespace zelto {

// CreateProcessW without a shell, an anonymous pipe for what the command prints, and a thread per run that
// reads it, waits for the end and ends the command at its timeout.
class ProcessHookRunner : public HookRunner {
public:
    ProcessHookRunner() = default;

    void Start(const HookRun& run, OutputLine output, Ended ended) override;
    void EndAll(std::chrono::milliseconds grace) override;

private:
    HookThreads threads_; // a stop ends the command
};

} // namespace zelto
