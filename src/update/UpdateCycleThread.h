#pragma once

#include <thread>

namespace zelto {

class UpdateCycle;

// Runs the cycle on a thread of its own; a stop (Stop, or the runner going away) wakes the cycle and joins
// the thread. A plain thread: MinGW's stop callbacks of std::jthread could leave the joining side waiting
// for good.
class UpdateCycleThread {
public:
    explicit UpdateCycleThread(UpdateCycle& cycle) : cycle_(cycle) {}
    ~UpdateCycleThread() { Stop(); }
    UpdateCycleThread(const UpdateCycleThread&) = delete;
    UpdateCycleThread& operator=(const UpdateCycleThread&) = delete;

    void Start();
    void Stop();

private:
    UpdateCycle& cycle_;
    std::thread worker_;
};

} // namespace zelto
