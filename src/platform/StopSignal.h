#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zelto {

// A stop request shared by a thread and everything it calls: sleeps wake and requests in flight end
// as soon as it is raised. Once raised it stays raised.
class StopSignal {
public:
    void Raise() {
        {
            std::lock_guard lock(mutex_);
            raised_ = true;
        }
        wake_.notify_all();
    }

    bool Raised() const {
        std::lock_guard lock(mutex_);
        return raised_;
    }

    // Waits for the given time; false when the stop was raised before or during the wait.
    bool WaitFor(std::chrono::milliseconds duration) {
        std::unique_lock lock(mutex_);
        return !wake_.wait_for(lock, duration, [this] { return raised_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool raised_ = false;
};

} // namespace zelto
