#include "update/UpdateDecision.h"

#include "EngineFixture.h"

namespace zelto::enginetest {
namespace {

using fakes::FakeClock;

class UpdateDecisionTest : public EngineTest {
protected:
    UpdateDecisionTest() {
        // Registered at 10:05 on 14 March 2025, day 073.
        WriteRecord("203.0.113.7", "10", "073", "2025");
        world.addresses.addresses = {"198.51.100.1", "203.0.113.7", "192.168.1.5"};
        world.clock.now = FakeClock::At(2025, 3, 14, 10, 30, 0);
    }
};

TEST_F(UpdateDecisionTest, DueWhenTheClockHourChanges) {
    world.clock.now = FakeClock::At(2025, 3, 14, 10, 59, 55);
    EXPECT_EQ(IsUpdateDue(ports), 0);
    world.clock.now = FakeClock::At(2025, 3, 14, 11, 0, 5);
    EXPECT_EQ(IsUpdateDue(ports), 1);
    // Set back into the recorded hour: current again. The same hour of another day is not.
    world.clock.now = FakeClock::At(2025, 3, 14, 10, 0, 0);
    EXPECT_EQ(IsUpdateDue(ports), 0);
    world.clock.now = FakeClock::At(2025, 3, 15, 10, 30, 0);
    EXPECT_EQ(IsUpdateDue(ports), 1);
}

TEST_F(UpdateDecisionTest, YearChangeAcrossNewYearsEve) {
    WriteRecord("203.0.113.7", "23", "366", "2024");
    world.clock.now = FakeClock::At(2024, 12, 31, 23, 59, 59);
    EXPECT_EQ(IsUpdateDue(ports), 0);
    world.clock.now = FakeClock::At(2025, 1, 1, 0, 0, 5);
    EXPECT_EQ(IsUpdateDue(ports), 1);
    // Day and hour texts may coincide; the year alone decides.
    WriteRecord("203.0.113.7", "10", "073", "2024");
    world.clock.now = FakeClock::At(2025, 3, 14, 10, 30, 0);
    EXPECT_EQ(IsUpdateDue(ports), 1);
}

TEST_F(UpdateDecisionTest, RecordInAnotherFormIsNeverCurrent) {
    world.clock.now = FakeClock::At(2025, 3, 14, 7, 30, 0);
    WriteRecord("203.0.113.7", "07", "073", "2025");
    EXPECT_EQ(IsUpdateDue(ports), 0);
    WriteRecord("203.0.113.7", "7", "073", "2025");
    EXPECT_EQ(IsUpdateDue(ports), 1);
    WriteRecord("203.0.113.7", "07", "73", "2025");
    EXPECT_EQ(IsUpdateDue(ports), 1);
}

TEST_F(UpdateDecisionTest, RecordedAddressCountsWhereverItStandsInTheList) {
    const std::vector<std::string> lists[] = {
        {"203.0.113.7"},
        {"203.0.113.7", "198.51.100.1"},
        {"10.0.0.2", "198.51.100.1", "203.0.113.7", "192.168.1.5"},
    };
    for (const auto& list : lists) {
        world.addresses.addresses = list;
        EXPECT_EQ(IsUpdateDue(ports), 0) << list.size() << " addresses";
    }
    // A recorded private address sits behind the ordinary ones after filtering.
    WriteRecord("192.168.1.5", "10", "073", "2025");
    world.addresses.addresses = {"192.168.1.5", "198.51.100.1", "127.0.0.1"};
    EXPECT_EQ(IsUpdateDue(ports), 0);
}

TEST_F(UpdateDecisionTest, DueWhenTheRecordedAddressIsNotOneOfOurs) {
    world.addresses.addresses = {"198.51.100.1", "203.0.113.70", "192.168.1.5"};
    EXPECT_EQ(IsUpdateDue(ports), 1);
    world.addresses.addresses = {};
    EXPECT_EQ(IsUpdateDue(ports), 1);
    // An ignored address is no longer among the machine's addresses.
    world.addresses.addresses = {"203.0.113.7"};
    SetIgnoreList({"203.0.113.7"});
    EXPECT_EQ(IsUpdateDue(ports), 1);
}

TEST_F(UpdateDecisionTest, DueWhenAnyPartOfTheRecordIsEmpty) {
    for (const char* key : {"updatedip", "updatedhour", "updatedday", "updatedyear"}) {
        WriteRecord("203.0.113.7", "10", "073", "2025");
        ASSERT_EQ(IsUpdateDue(ports), 0);
        settings.WriteText(key, "");
        EXPECT_EQ(IsUpdateDue(ports), 1) << key;
    }
}

// Reads the clock once: a decision that took hour and day from separate readings around 11:00 would
// mix 10 and 11 and find a pass due.
class SteppingClock : public Clock {
public:
    explicit SteppingClock(std::time_t start) : next_(start) {}
    std::time_t Now() const override {
        const std::time_t now = next_;
        next_ += 10;
        return now;
    }

private:
    mutable std::time_t next_;
};

TEST_F(UpdateDecisionTest, OneClockReadingPerDecision) {
    SteppingClock clock(FakeClock::At(2025, 3, 14, 10, 59, 55));
    EnginePorts stepping{settings, world.http, world.autodial, world.addresses, clock, world.notices, world.sound};
    EXPECT_EQ(IsUpdateDue(stepping), 0);
    EXPECT_EQ(IsUpdateDue(stepping), 1);
}

} // namespace
} // namespace zelto::enginetest
