#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace zelto {

// Turns SIGINT and SIGTERM into a call on a thread of its own, so that the handler may lock, join and print.
// Construct it before any other thread starts: the signals are blocked in the constructing thread and every
// thread started after it inherits that. They stay blocked after destruction, when the process is on its way
// out, so that a late signal cannot cut a clean exit short.
class SignalWatch {
public:
    explicit SignalWatch(std::function<void()> onSignal);
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    bool Caught() const { return caught_; }

private:
    void Watch();

    std::function<void()> onSignal_;
    std::atomic<bool> caught_{false};
    std::atomic<bool> done_{false};
    std::thread watcher_;
};

} // namespace zelto
