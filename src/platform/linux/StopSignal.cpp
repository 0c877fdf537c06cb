// The stop and the wake as two bits of one word that sleepers wait on with a futex. Raising the stop is an
// atomic or and a wake, both safe in a signal handler, so a stop signal can raise it directly: no thread has
// to sit waiting for the signal.

#include "platform/StopSignal.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <ctime>

namespace zelto {

namespace {

constexpr std::uint32_t kStopped = 1;
constexpr std::uint32_t kWoken = 2;

} // namespace

struct StopSignal::State {
    alignas(std::atomic_ref<std::uint32_t>::required_alignment) std::uint32_t word = 0;

    std::atomic_ref<std::uint32_t> Word() { return std::atomic_ref<std::uint32_t>(word); }

    void Set(std::uint32_t bit) {
        Word().fetch_or(bit, std::memory_order_acq_rel);
        ::syscall(SYS_futex, &word, FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
    }

    // Waits until the deadline, the stop, or (when `wakeable`) a wake, which it takes.
    WaitEnd Wait(std::chrono::milliseconds duration, bool wakeable) {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point deadline =
            Clock::now() + std::min(duration, std::chrono::milliseconds(std::chrono::hours(24 * 365)));
        for (;;) {
            const std::uint32_t seen = Word().load(std::memory_order_acquire);
            if (seen & kStopped)
                return WaitEnd::Stopped;
            if (wakeable && (seen & kWoken)) {
                Word().fetch_and(~kWoken, std::memory_order_acq_rel);
                return WaitEnd::Woken;
            }
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return WaitEnd::TimeUp;
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
            const timespec timeout{static_cast<std::time_t>(seconds.count()),
                                   static_cast<long>((left - seconds).count())};
            // Returns at once when the word is no longer `seen`, on a wake, at the time-out or on a signal: each
            // is looked at again above.
            ::syscall(SYS_futex, &word, FUTEX_WAIT_PRIVATE, seen, &timeout, nullptr, 0);
        }
    }
};

static_assert(std::atomic_ref<std::uint32_t>::is_always_lock_free, "raised from a signal handler");

StopSignal::StopSignal() : state_(std::make_unique<State>()) {}

StopSignal::~StopSignal() = default;

void StopSignal::Raise() {
    state_->Set(kStopped);
}

bool StopSignal::Raised() const {
    return (state_->Word().load(std::memory_order_acquire) & kStopped) != 0;
}

bool StopSignal::WaitFor(std::chrono::milliseconds duration) const {
    return state_->Wait(duration, false) != WaitEnd::Stopped;
}

void StopSignal::Wake() {
    state_->Set(kWoken);
}

StopSignal::WaitEnd StopSignal::WaitForWake(std::chrono::milliseconds duration) {
    return state_->Wait(duration, true);
}

} // namespace zelto
