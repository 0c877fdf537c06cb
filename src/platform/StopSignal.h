#pragma once

#include <chrono>
#include <memory>

namespace zelto {

// A stop request shared by a thread and everything it calls: sleeps wake and requests in flight end
// as soon as it is raised. Once raised it stays raised. Each platform builds it on its own waiting primitive
// (linux/ and windows/ hold one each). Beside the stop it carries a wake, which ends one WaitForWake early
// without stopping anything: the update cycle's poll listens to the system's events through it.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void Raise();
    bool Raised() const;
    // Waits for the given time; false when the stop was raised before or during the wait.
    bool WaitFor(std::chrono::milliseconds duration) const;

    enum class WaitEnd { TimeUp, Woken, Stopped };
    // Ends the current or the next WaitForWake; wakes that come while nobody waits count as one.
    void Wake();
    // As WaitFor, and ends early at a wake, taking it.
    WaitEnd WaitForWake(std::chrono::milliseconds duration);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace zelto
