// The stop as one word that sleepers wait on with a futex. Raising it is a store and a wake, both safe in a
// signal handler, so a stop signal can raise it directly: no thread has to sit waiting for the signal.

#include "platform/StopSignal.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <ctime>

namespace zelto {

struct StopSignal::State {
    alignas(std::atomic_ref<std::uint32_t>::required_alignment) std::uint32_t raised = 0;

    std::atomic_ref<std::uint32_t> Word() { return std::atomic_ref<std::uint32_t>(raised); }
};

static_assert(std::atomic_ref<std::uint32_t>::is_always_lock_free, "raised from a signal handler");

StopSignal::StopSignal() : state_(std::make_unique<State>()) {}

StopSignal::~StopSignal() = default;

void StopSignal::Raise() {
    state_->Word().store(1, std::memory_order_release);
    ::syscall(SYS_futex, &state_->raised, FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

bool StopSignal::Raised() const {
    return state_->Word().load(std::memory_order_acquire) != 0;
}

bool StopSignal::WaitFor(std::chrono::milliseconds duration) const {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::min(duration, std::chrono::milliseconds(std::chrono::hours(24 * 365)));
    while (!Raised()) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return true;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        const timespec timeout{static_cast<std::time_t>(seconds.count()), static_cast<long>((left - seconds).count())};
        // Returns at once when the word is no longer 0, on a wake, at the time-out or on a signal: each is
        // looked at again above.
        ::syscall(SYS_futex, &state_->raised, FUTEX_WAIT_PRIVATE, 0, &timeout, nullptr, 0);
    }
    return false;
}

} // namespace zelto
