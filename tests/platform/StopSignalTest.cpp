#include "platform/StopSignal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace zelto {
namespace {

using namespace std::chrono_literals;
using End = StopSignal::WaitEnd;

// Runs `wait` on a thread of its own and, after `pause`, calls `end`: what the wait returned, or nothing when it
// did not end within ten seconds (a lost wake-up fails instead of hanging the suite; the thread is left to the
// process). No event tells that the thread sleeps, so the pause only makes it likely; an end before the wait
// must work as well.
template <class T>
std::optional<T> EndedOnAThread(std::function<T()> wait, const std::function<void()>& end,
                                std::chrono::microseconds pause = 20ms) {
    auto result = std::make_shared<std::promise<T>>();
    std::future<T> ended = result->get_future();
    std::thread([wait = std::move(wait), result] { result->set_value(wait()); }).detach();
    std::this_thread::sleep_for(pause);
    end();
    if (ended.wait_for(10s) != std::future_status::ready)
        return std::nullopt;
    return ended.get();
}

TEST(StopSignalTest, WaitRunsItsTimeUntilRaisedThenEndsAtOnceAndForEver) {
    StopSignal stop;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(stop.WaitFor(40ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms); // a lower bound only: never late on a busy machine

    EXPECT_EQ(EndedOnAThread<bool>([&] { return stop.WaitFor(1h); }, [&] { stop.Raise(); }), false);
    EXPECT_TRUE(stop.Raised());
    EXPECT_FALSE(stop.WaitFor(1h));
}

// The update thread sleeps in short waits while the front-end may raise the stop at any moment: a raise that
// lands just as a wait runs out must still end the sleeper. The pause varies where the raise lands.
TEST(StopSignalTest, RaiseLandingAsAShortWaitRunsOutIsNeverLost) {
    for (int round = 0; round < 300; ++round) {
        StopSignal stop;
        const auto sleeper = [&] {
            for (int wait = 0; wait < 100000 && stop.WaitFor(1ms); ++wait) {
            }
            return true;
        };
        ASSERT_TRUE(EndedOnAThread<bool>(
            sleeper, [&] { stop.Raise(); }, std::chrono::microseconds(round * 7919 % 1500)))
            << "round " << round << ": the sleeper missed the raise";
    }
}

// The update cycle's poll ends at a system event, its rest does not; the stop ends both.
TEST(StopSignalTest, WakeEndsOneWakeableWaitAndIsKeptUntilOneTakesIt) {
    StopSignal signal;
    signal.Wake();
    signal.Wake();
    EXPECT_TRUE(signal.WaitFor(20ms)); // a plain wait runs its time and leaves the wake
    EXPECT_EQ(signal.WaitForWake(1h), End::Woken);
    EXPECT_EQ(signal.WaitForWake(20ms), End::TimeUp); // two wakes were one

    EXPECT_EQ(EndedOnAThread<End>([&] { return signal.WaitForWake(1h); }, [&] { signal.Wake(); }), End::Woken);
    signal.Wake();
    signal.Raise();
    EXPECT_EQ(signal.WaitForWake(1h), End::Stopped);
}

} // namespace
} // namespace zelto
