// The stop as a manual-reset event. The MinGW thread library's condition variables can lose a waiter for
// good when a timed wait runs out just as it is notified, so nothing here waits on one.

#include "platform/StopSignal.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace zelto {

struct StopSignal::State {
    HANDLE raised = nullptr;
};

StopSignal::StopSignal() : state_(std::make_unique<State>()) {
    state_->raised = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (state_->raised == nullptr)
        throw std::runtime_error("cannot create an event");
}

StopSignal::~StopSignal() {
    ::CloseHandle(state_->raised);
}

void StopSignal::Raise() {
    ::SetEvent(state_->raised);
}

bool StopSignal::Raised() const {
    return ::WaitForSingleObject(state_->raised, 0) == WAIT_OBJECT_0;
}

bool StopSignal::WaitFor(std::chrono::milliseconds duration) const {
    // INFINITE is one more than the longest finite wait; longer waits are cut to that (about 49 days).
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(duration.count(), 0, INFINITE - 1);
    return ::WaitForSingleObject(state_->raised, static_cast<DWORD>(ms)) == WAIT_TIMEOUT;
}

} // namespace zelto
