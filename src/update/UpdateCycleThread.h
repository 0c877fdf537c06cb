#pragma once

#include <thread>

namespace zelto {

class UpdateCycle;

// Runs the cycle on a thread of its own; a stop (Stop, or the runner going away) wakes the cycle and joins
// the thread.
class UpdateCycleThread {
public:
    explicit UpdateCycleThread(UpdateCycle& cycle) : cycle_(cycle) {}
    UpdateCycleThread(const UpdateCycleThread&) = delete;
    UpdateCycleThread& operator=(const UpdateCycleThread&) = delete;

    void Start();
    void Stop();

private:
    UpdateCycle& cycle_;
    std::jthread worker_; // last: it stops and joins before cycle_ can go
};

} // namespace zelto
