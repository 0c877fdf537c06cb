#pragma once

#include <chrono>
#include <memory>

namespace zelto {

// A stop request shared by a thread and everything it calls: sleeps wake and requests in flight end
// as soon as it is raised. Once raised it stays raised. Each platform builds it on its own waiting primitive
// (linux/ and windows/ hold one each).
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

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace zelto
