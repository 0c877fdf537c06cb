// SignalWatch on Windows: the console's Ctrl+C, Ctrl+Break and close (and the session's log-off and shutdown)
// instead of SIGINT and SIGTERM. The system calls the handler on a thread of its own; the watcher thread
// turns it into the program's call, as on POSIX.

#include "cli/SignalWatch.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zelto {
namespace {

std::mutex mutex;
std::condition_variable changed;
bool requested = false;
bool finished = false; // the watch is gone: the program has stopped cleanly

BOOL WINAPI OnConsoleControl(DWORD event) {
    std::unique_lock lock(mutex);
    requested = true;
    changed.notify_all();
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // Close, log-off and shutdown end the process when the handler returns: first let the program stop.
    changed.wait_for(lock, std::chrono::seconds(4), [] { return finished; });
    return TRUE;
}

} // namespace

SignalWatch::SignalWatch(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    {
        const std::lock_guard lock(mutex);
        requested = false;
        finished = false;
    }
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    watcher_ = std::thread([this] { Watch(); });
}

SignalWatch::~SignalWatch() {
    {
        const std::lock_guard lock(mutex);
        done_ = true;
    }
    changed.notify_all();
    watcher_.join();
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    const std::lock_guard lock(mutex);
    finished = true;
    changed.notify_all();
}

void SignalWatch::Watch() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return requested || done_; });
    if (done_)
        return;
    caught_ = true;
    lock.unlock();
    onSignal_();
}

} // namespace zelto
