#include "cli/SignalWatch.h"

#include <csignal>
#include <ctime>
#include <pthread.h>

namespace zelto {

namespace {

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

SignalWatch::SignalWatch(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    watcher_ = std::thread([this] { Watch(); });
}

SignalWatch::~SignalWatch() {
    done_ = true;
    watcher_.join();
}

void SignalWatch::Watch() {
    const sigset_t set = StopSignals();
    // Wakes every 100 ms to notice the destructor; a signal is taken at once.
    const timespec tick{0, 100'000'000};
    while (!done_) {
        if (sigtimedwait(&set, nullptr, &tick) < 0)
            continue;
        if (!caught_.exchange(true))
            onSignal_();
    }
}

} // namespace zelto
