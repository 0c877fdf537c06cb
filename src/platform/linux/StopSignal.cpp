#include "platform/StopSignal.h"

#include <condition_variable>
#include <mutex>

namespace zelto {

struct StopSignal::State {
    std::mutex mutex;
    std::condition_variable wake;
    bool raised = false;
};

StopSignal::StopSignal() : state_(std::make_unique<State>()) {}

StopSignal::~StopSignal() = default;

void StopSignal::Raise() {
    {
        const std::lock_guard lock(state_->mutex);
        state_->raised = true;
    }
    state_->wake.notify_all();
}

bool StopSignal::Raised() const {
    const std::lock_guard lock(state_->mutex);
    return state_->raised;
}

bool StopSignal::WaitFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(state_->mutex);
    return !state_->wake.wait_for(lock, duration, [this] { return state_->raised; });
}

} // namespace zelto
