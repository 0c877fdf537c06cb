#include "platform/StopSignal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace zelto {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Polls instead of waiting on a condition, so that a lost wake-up shows as a failure and not as a hung suite.
bool BecomesTrueWithin(const std::atomic<bool>& flag, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!flag && Clock::now() < end)
        std::this_thread::sleep_for(1ms);
    return flag;
}

TEST(StopSignalTest, WaitRunsItsTimeUntilRaisedThenEndsAtOnceAndForEver) {
    StopSignal stop;
    EXPECT_FALSE(stop.Raised());
    const auto start = Clock::now();
    EXPECT_TRUE(stop.WaitFor(40ms));
    EXPECT_GE(Clock::now() - start, 30ms);

    std::atomic<bool> woke{false};
    std::atomic<bool> waitedFully{true};
    std::thread sleeper([&] {
        waitedFully = stop.WaitFor(1h);
        woke = true;
    });
    std::this_thread::sleep_for(20ms);
    stop.Raise();
    const bool ended = BecomesTrueWithin(woke, 10s);
    if (!ended)
        sleeper.detach(); // lost for good: the process ends it
    ASSERT_TRUE(ended) << "the raise did not wake a sleeper";
    sleeper.join();
    EXPECT_FALSE(waitedFully);
    EXPECT_TRUE(stop.Raised());
    EXPECT_FALSE(stop.WaitFor(1h));
}

// The update thread sleeps in short waits while the front-end may raise the stop at any moment: a raise that
// lands just as a wait runs out must still end the sleeper.
TEST(StopSignalTest, RaiseLandingAsAShortWaitRunsOutIsNeverLost) {
    for (int round = 0; round < 300; ++round) {
        StopSignal stop;
        std::atomic<bool> ended{false};
        std::thread sleeper([&] {
            for (int wait = 0; wait < 100000 && stop.WaitFor(1ms); ++wait) {
            }
            ended = true;
        });
        std::this_thread::sleep_for(std::chrono::microseconds(round * 7919 % 1500));
        stop.Raise();
        const bool woke = BecomesTrueWithin(ended, 10s);
        if (!woke)
            sleeper.detach();
        ASSERT_TRUE(woke) << "round " << round << ": the sleeper missed the raise";
        sleeper.join();
    }
}

// The update cycle's poll ends at a system event, its rest does not; the stop ends both.
TEST(StopSignalTest, WakeEndsOneWakeableWaitAndIsKeptUntilOneTakesIt) {
    using End = StopSignal::WaitEnd;
    StopSignal signal;
    signal.Wake();
    signal.Wake();
    EXPECT_TRUE(signal.WaitFor(20ms)); // a plain wait runs its time and leaves the wake
    EXPECT_EQ(signal.WaitForWake(1h), End::Woken);
    EXPECT_EQ(signal.WaitForWake(20ms), End::TimeUp); // two wakes were one

    std::atomic<bool> woke{false};
    std::atomic<End> end{End::TimeUp};
    std::thread sleeper([&] {
        end = signal.WaitForWake(1h);
        woke = true;
    });
    std::this_thread::sleep_for(20ms);
    signal.Wake();
    const bool ended = BecomesTrueWithin(woke, 10s);
    if (!ended)
        sleeper.detach();
    ASSERT_TRUE(ended) << "the wake did not end the wait";
    sleeper.join();
    EXPECT_EQ(end, End::Woken);
    signal.Wake();
    signal.Raise();
    EXPECT_EQ(signal.WaitForWake(1h), End::Stopped);
}

} // namespace
} // namespace zelto
