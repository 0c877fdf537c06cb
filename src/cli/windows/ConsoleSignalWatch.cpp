// SignalWatch on Windows: the console's Ctrl+C, Ctrl+Break and close (and the session's log-off and shutdown)
// instead of SIGINT and SIGTERM. The system calls the handler on a thread of its own; a watcher thread
// turns it into the program's call, which may then lock and wait. The threads meet on events, not on MinGW condition
// variables, which can lose a timed waiter.

#include "cli/SignalWatch.h"

#include <windows.h>

#include <atomic>
#include <thread>

namespace zelto {
namespace {

// Manual-reset events, made once per process: a console event came; the watch is ending.
HANDLE requested = nullptr;
HANDLE ending = nullptr;

constexpr DWORD kCloseGraceMs = 4000;

// Stays installed for the life of the process: as on POSIX, a late Ctrl+C cannot cut
// a clean exit short, and the handler is never removed while it runs. Removing it takes the lock that the
// system holds while a handler runs, so a close handler waiting for the watch's end would wait out its grace.
BOOL WINAPI OnConsoleControl(DWORD event) {
    ::SetEvent(requested);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // Close, log-off and shut-down end the process when the handler returns: hold it while the program stops;
    // the program's own exit ends this thread.
    ::Sleep(kCloseGraceMs);
    return TRUE;
}

void PrepareEvent(HANDLE& event) {
    if (event == nullptr)
        event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    else
        ::ResetEvent(event);
}

} // namespace

struct SignalWatch::Impl {
    explicit Impl(std::function<void()> call) : onSignal(std::move(call)) {}

    void Watch() {
        const HANDLE events[] = {requested, ending};
        if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 || done)
            return;
        caught = true;
        onSignal();
    }

    std::function<void()> onSignal;
    std::atomic<bool> caught{false};
    std::atomic<bool> done{false};
    std::thread watcher;
};

SignalWatch::SignalWatch(std::function<void()> onSignal) : impl_(std::make_unique<Impl>(std::move(onSignal))) {
    PrepareEvent(requested);
    PrepareEvent(ending);
    [[maybe_unused]] static const bool installed = ::SetConsoleCtrlHandler(OnConsoleControl, TRUE) != FALSE;
    impl_->watcher = std::thread([impl = impl_.get()] { impl->Watch(); });
}

SignalWatch::~SignalWatch() {
    impl_->done = true;
    ::SetEvent(ending);
    impl_->watcher.join();
}

bool SignalWatch::Caught() const {
    return impl_->caught;
}

} // namespace zelto
