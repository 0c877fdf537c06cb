// The stop as a manual-reset event, the wake as an auto-reset one. The MinGW thread library's condition
// variables can lose a waiter for good when a timed wait runs out just as it is notified, so nothing here
// waits on one.

#include "platform/StopSignal.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace zelto {

struct StopSignal::State {
    HANDLE raised = nullptr;
    HANDLE woken = nullptr;
};

namespace {

// INFINITE is one more than the longest finite wait; longer waits are cut to that (about 49 days).
DWORD Milliseconds(std::chrono::milliseconds duration) {
    return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(duration.count(), 0, INFINITE - 1));
}

} // namespace

StopSignal::StopSignal() : state_(std::make_unique<State>()) {
    state_->raised = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    state_->woken = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (state_->raised == nullptr || state_->woken == nullptr) {
        if (state_->raised != nullptr)
            ::CloseHandle(state_->raised);
        throw std::runtime_error("cannot create an event");
    }
}

StopSignal::~StopSignal() {
    ::CloseHandle(state_->woken);
    ::CloseHandle(state_->raised);
}

void StopSignal::Raise() {
    ::SetEvent(state_->raised);
}

bool StopSignal::Raised() const {
    return ::WaitForSingleObject(state_->raised, 0) == WAIT_OBJECT_0;
}

bool StopSignal::WaitFor(std::chrono::milliseconds duration) const {
    return ::WaitForSingleObject(state_->raised, Milliseconds(duration)) == WAIT_TIMEOUT;
}

void StopSignal::Wake() {
    ::SetEvent(state_->woken);
}

// The stop comes first in the list, so that it wins over a wake set at the same time.
StopSignal::WaitEnd StopSignal::WaitForWake(std::chrono::milliseconds duration) {
    const HANDLE events[] = {state_->raised, state_->woken};
    switch (::WaitForMultipleObjects(2, events, FALSE, Milliseconds(duration))) {
    case WAIT_TIMEOUT:
        return WaitEnd::TimeUp;
    case WAIT_OBJECT_0 + 1:
        return WaitEnd::Woken;
    default:
        return WaitEnd::Stopped;
    }
}

} // namespace zelto
