#include "cli/SignalWatch.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <thread>

namespace zelto {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kStopSignals)
        sigaddset(&set, signal);
    return set;
}

} // namespace

struct SignalWatch::Impl {
    explicit Impl(std::function<void()> call) : onSignal(std::move(call)) {}

    std::function<void()> onSignal;
    std::atomic<bool> caught{false};
    bool installed[std::size(kStopSignals)] = {};

    // The watch the handler calls (one at a time: the process has one handler per signal), and the handlers
    // running now, which the watch lets finish before it goes.
    static inline std::atomic<Impl*> current{nullptr};
    static inline std::atomic<int> running{0};
    static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free &&
                      std::atomic<Impl*>::is_always_lock_free,
                  "used in a signal handler");

    static void OnSignal(int) {
        const int savedErrno = errno;
        running.fetch_add(1);
        if (Impl* watch = current.load(); watch && !watch->caught.exchange(true))
            watch->onSignal();
        running.fetch_sub(1);
        errno = savedErrno;
    }
};

SignalWatch::SignalWatch(std::function<void()> onSignal) : impl_(std::make_unique<Impl>(std::move(onSignal))) {
    Impl::current.store(impl_.get());
    struct sigaction action {};
    action.sa_handler = &Impl::OnSignal;
    action.sa_mask = StopSignals(); // one handler at a time
    action.sa_flags = SA_RESTART;   // the waits that matter (poll, the stop's own) end anyway
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        struct sigaction previous {};
        // A signal the starting shell ignores (SIGINT of a background job) stays ignored.
        if (::sigaction(kStopSignals[i], nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        impl_->installed[i] = ::sigaction(kStopSignals[i], &action, nullptr) == 0;
    }
    // A parent may have left them blocked.
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

SignalWatch::~SignalWatch() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        if (impl_->installed[i])
            ::sigaction(kStopSignals[i], &ignore, nullptr);
    Impl::current.store(nullptr);
    while (Impl::running.load() != 0)
        std::this_thread::yield();
}

bool SignalWatch::Caught() const {
    return impl_->caught;
}

} // namespace zelto
