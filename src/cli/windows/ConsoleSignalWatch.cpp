// SignalWatch on Windows: the console's Ctrl+C, Ctrl+Break and close (and the session's log-off and shutdown)
// instead of SIGINT and SIGTERM. The system calls the handler on a thread of its own; the watcher thread
// turns it into the program's call, as on POSIX. The threads meet on events, not on MinGW condition
// variables, which can lose a timed waiter.

#include "cli/SignalWatch.h"

#include <windows.h>

namespace zelto {
namespace {

// Manual-reset events, made once per process: a console event came; the watch is ending; the program has
// stopped cleanly (the watch is gone).
HANDLE requested = nullptr;
HANDLE ending = nullptr;
HANDLE finished = nullptr;

constexpr DWORD kCloseGraceMs = 4000;

BOOL WINAPI OnConsoleControl(DWORD event) {
    ::SetEvent(requested);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // Close, log-off and shutdown end the process when the handler returns: first let the program stop.
    ::WaitForSingleObject(finished, kCloseGraceMs);
    return TRUE;
}

void PrepareEvent(HANDLE& event) {
    if (event == nullptr)
        event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    else
        ::ResetEvent(event);
}

} // namespace

SignalWatch::SignalWatch(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    PrepareEvent(requested);
    PrepareEvent(ending);
    PrepareEvent(finished);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    watcher_ = std::thread([this] { Watch(); });
}

SignalWatch::~SignalWatch() {
    done_ = true;
    ::SetEvent(ending);
    watcher_.join();
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    ::SetEvent(finished);
}

void SignalWatch::Watch() {
    const HANDLE events[] = {requested, ending};
    if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 || done_)
        return;
    caught_ = true;
    onSignal_();
}

} // namespace zelto
