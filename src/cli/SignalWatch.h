#pragma once

#include <functional>
#include <memory>

namespace zelto {

// Turns SIGINT and SIGTERM (on Windows the console's Ctrl+C, Ctrl+Break, close, log-off and shutdown) into one
// call of onSignal. On POSIX the call runs inside the signal handler, on whichever thread took the signal, so
// onSignal may only raise stop signals (StopSignal::Raise is safe there) and no thread is spent waiting for
// a signal that mostly never comes. After destruction a late signal is ignored: the process is on its way
// out, and a clean exit is not cut short.
class SignalWatch {
public:
    explicit SignalWatch(std::function<void()> onSignal);
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    bool Caught() const;

private:
    struct Impl; // each platform's own
    std::unique_ptr<Impl> impl_;
};

} // namespace zelto
