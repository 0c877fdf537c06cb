#include "cli/SignalWatch.h"

#include <csignal>
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
    // Blocked in every thread, so it waits for the watcher's sigwaitinfo: the watcher sleeps until it comes,
    // instead of waking on a timer to look for the end.
    pthread_kill(watcher_.native_handle(), SIGTERM);
    watcher_.join();
}

void SignalWatch::Watch() {
    const sigset_t set = StopSignals();
    for (;;) {
        const int signal = sigwaitinfo(&set, nullptr);
        if (done_)
            return;
        if (signal > 0 && !caught_.exchange(true))
            onSignal_();
    }
}

} // namespace zelto
