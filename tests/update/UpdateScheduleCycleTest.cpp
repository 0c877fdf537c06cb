// How often the real update cycle asks the service over simulated hours.

#include "schema/ClientSettings.h"

#include "EngineFixture.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace zelto::enginetest {
namespace {

using namespace std::chrono_literals;

using UpdateScheduleCycleTest = CycleTest;

std::map<std::time_t, int> PerHour(const std::vector<std::time_t>& times) {
    std::map<std::time_t, int> hours;
    for (const std::time_t at : times)
        ++hours[at / 3600];
    return hours;
}

HttpFetch Line(const std::string& line) {
    return HttpFetch::Answered(line, 200);
}

TEST_F(UpdateScheduleCycleTest, UpdatesHourlyAndRegistersAChangedAddressWithinAFewMinutes) {
    struct Case {
        const char* name;
        std::string machine, seen, machineAfter, seenAfter;
        int maxChecksPerHour;
        std::optional<std::array<int, 4>> fixed; // `method fixed`: current until the hour, whatever changes
    };
    const Case cases[] = {
        {"behind translation", "192.168.1.10", "198.51.100.4", "192.168.1.10", "198.51.100.99", 12, {}},
        {"own public address", "203.0.113.7", "203.0.113.7", "203.0.113.8", "203.0.113.8", 0, {}},
        {"fixed address", "192.168.1.10", "198.51.100.4", "192.168.1.11", "198.51.100.99", 0,
         std::array{198, 51, 100, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        served.clear();
        if (c.fixed) {
            ClientSettings(settings).WriteAddressMethod(AddressMethod::Fixed);
            ClientSettings(settings).WriteFixedAddress(*c.fixed);
        }
        world.addresses.addresses = {c.machine};
        std::string seen = c.seen;
        answer = [&](const std::string&) { return Line("ip" + seen); };
        AddDomains({"alpha", "beta"});
        const std::time_t changeAt = world.clock.now + 3 * 3600;
        Run(3 * 3600 + 600, [&] {
            if (world.clock.now >= changeAt && seen == c.seen)
                world.addresses.addresses = {c.machineAfter}, seen = c.seenAfter;
        });
        for (const std::string domain : {"second=alpha", "second=beta"}) {
            std::vector<std::time_t> before = Times(domain);
            const auto after = std::ranges::find_if(before, [&](std::time_t at) { return at >= changeAt; });
            if (c.fixed) {
                EXPECT_EQ(after, before.end());
            } else {
                ASSERT_NE(after, before.end());
                EXPECT_LE(*after - changeAt, 310);
            }
            before.erase(after, before.end());
            // The start-up one at 10:30, then one at each of 11:00, 12:00 and 13:00.
            EXPECT_EQ(before.size(), 4u);
            EXPECT_EQ(PerHour(before).size(), 4u);
        }
        int checks = 0;
        for (const auto& [hour, count] : PerHour(Times("ipcheck"))) {
            EXPECT_LE(count, c.maxChecksPerHour);
            checks += count;
        }
        EXPECT_EQ(checks > 0, c.maxChecksPerHour > 0);
        EXPECT_EQ(settings.ReadText("updatedip"), c.fixed ? c.seen : c.seenAfter);
    }
}

TEST_F(UpdateScheduleCycleTest, RefusedPasswordPausesItsDomainUntilTheEntryChanges) {
    AddDomains({"alpha", "beta"});
    answer = [](const std::string& url) {
        return Line(url.find("second=alpha&password=secret12") != std::string::npos ? "wrongpassword"
                                                                                    : "ip203.0.113.7");
    };
    const std::time_t changeAt = world.clock.now + 2 * 3600;
    Run(2 * 3600 + 60, [&] {
        if (world.clock.now >= changeAt && settings.ReadText("password1") == "secret12")
            settings.WriteText("password1", "secret34");
    });
    const std::vector<std::time_t> alpha = Times("second=alpha");
    ASSERT_EQ(alpha.size(), 2u);
    EXPECT_LE(alpha[1] - changeAt, 10);
    EXPECT_EQ(settings.ReadText("paused1"), "") << "a lifted pause left behind would hold the entry's old value";
    EXPECT_EQ(world.notices.Messages().size(), 1u);
    const std::vector<std::time_t> beta = Times("second=beta");
    EXPECT_EQ(std::ranges::count_if(beta, [&](std::time_t at) { return at < changeAt; }), 3); // 10:30, 11:00, 12:00
}

// A domain another process adds while the record is current is not left for the hourly refresh.
TEST_F(UpdateScheduleCycleTest, ADomainAddedBesideTheRunningClientIsSentAtTheNextPoll) {
    AddDomains({"alpha"});
    answer = [](const std::string&) { return Line("ip203.0.113.7"); };
    const std::time_t addedAt = world.clock.now + 20 * 60;
    Run(25 * 60, [&] {
        if (world.clock.now >= addedAt && settings.ReadInt("numofdomains", 0) == 1)
            AddDomains({"alpha", "beta"});
    });
    const std::vector<std::time_t> beta = Times("second=beta");
    ASSERT_EQ(beta.size(), 1u);
    EXPECT_LE(beta[0] - addedAt, 10);
}

TEST_F(UpdateScheduleCycleTest, FailedPassesWaitLongerEachTime) {
    AddDomains({"alpha"});
    struct Case {
        const char* name;
        HttpFetch fetch;
        std::vector<std::time_t> waits; // between passes, in seconds, without the spread
    };
    const std::vector<std::time_t> answered = {30, 60, 120, 240, 480, 960, 1800, 1800};
    const Case cases[] = {
        {"HTTP 500", HttpFetch::Answered("", 500), answered},
        {"no answer", HttpFetch{}, {30, 60, 120, 240, 300, 300, 300}},
    };
    for (const Case& c : cases)
        for (const double jitter : {0.0, 0.999}) {
            SCOPED_TRACE(std::string(c.name) + " spread " + std::to_string(jitter));
            served.clear();
            spread = jitter;
            answer = [&](const std::string&) { return c.fetch; };
            std::time_t total = 0;
            for (const std::time_t wait : c.waits)
                total += wait;
            Run(total + total / 10 + 60);
            const std::vector<std::time_t> times = Times("update.asp");
            ASSERT_GT(times.size(), c.waits.size());
            for (std::size_t i = 0; i < c.waits.size(); ++i) {
                const std::time_t gap = times[i + 1] - times[i];
                EXPECT_GE(gap * 10, c.waits[i] * 9) << i;
                EXPECT_LE(gap * 10, c.waits[i] * 11 + 100) << i; // plus one poll
            }

            // What may have mended the failures ends the wait (here the fifth, 4 minutes or more) at the next poll.
            const std::pair<const char*, std::function<void()>> ends[] = {
                {"a new network", [&] { world.addresses.addresses = {"203.0.113.8"}; }},
                {"a resume", [&] { world.events.Announce(SystemEvent::Resumed); }},
            };
            for (const auto& [why, end] : ends) {
                served.clear();
                const std::time_t changeAt = world.clock.now + 300;
                bool ended = false;
                Run(320, [&] {
                    if (world.clock.now >= changeAt && !std::exchange(ended, true))
                        end();
                });
                world.addresses.addresses = {"203.0.113.7"};
                settings.WriteText("updateserver", "127.0.0.1:9");
                ASSERT_EQ(served.size(), 5u) << why;
                EXPECT_LE(served.back().at - changeAt, 10) << why;
            }
        }
}

// The pass after the wait that registers ends it: the next request is the hourly one, not one at every poll.
TEST_F(UpdateScheduleCycleTest, ARegistrationAfterTheWaitEndsIt) {
    AddDomains({"alpha"});
    answer = [this](const std::string&) { return served.size() == 1 ? HttpFetch{} : Line("ip203.0.113.7"); };
    Run(600);
    EXPECT_EQ(served.size(), 2u);
    EXPECT_EQ(settings.ReadText("retryafter"), "");
}

// Behind address translation, both addresses change while the 11:00 pass is out: alpha registered the old one,
// beta the new. The next decision sends alpha again, not the next hour.
TEST_F(UpdateScheduleCycleTest, AnAddressChangeWhileAPassRunsIsSentAtTheNextDecision) {
    world.addresses.addresses = {"192.168.1.10"};
    std::string seen = "198.51.100.4";
    const std::time_t changeAt = world.clock.now + 1800;
    answer = [&](const std::string&) {
        const HttpFetch fetch = Line("ip" + seen);
        if (world.clock.now >= changeAt)
            world.addresses.addresses = {"192.168.1.11"}, seen = "198.51.100.99";
        return fetch;
    };
    AddDomains({"alpha", "beta"});
    Run(3600);
    const std::vector<std::time_t> alpha = Times("second=alpha");
    const auto changed = std::ranges::find_if(alpha, [&](std::time_t at) { return at >= changeAt; });
    ASSERT_NE(changed, alpha.end());
    ASSERT_NE(changed + 1, alpha.end()) << "alpha is left at the old address";
    EXPECT_LE(changed[1] - changed[0], 60);
}

// The system's events cut a poll short, never a rest, however often a link flaps.
TEST_F(UpdateScheduleCycleTest, SystemEventsCutThePollShortButNeverTheRest) {
    AddDomains({"alpha"});
    answer = [&](const std::string&) { return Line("ip" + world.addresses.addresses.front()); };
    for (const bool flapsInRests : {false, true}) {
        SCOPED_TRACE(flapsInRests ? "flapping in the rests too" : "changes in the polls");
        served.clear();
        world.addresses.addresses = {"203.0.113.7"};
        std::vector<std::time_t> changedInPolls;
        Run(600, {}, [&](std::chrono::milliseconds pause) {
            if (pause != 10000ms && !(flapsInRests && pause == 30000ms))
                return;
            world.addresses.addresses = {world.addresses.addresses.front() == "203.0.113.7" ? "203.0.113.8"
                                                                                            : "203.0.113.7"};
            if (pause == 10000ms)
                changedInPolls.push_back(world.clock.now);
            world.events.Announce(SystemEvent::AddressesChanged);
        });
        const std::vector<std::time_t> times = Times("update.asp");
        ASSERT_GE(times.size(), 10u);
        for (std::size_t i = 1; i < times.size(); ++i)
            EXPECT_GE(times[i] - times[i - 1], 30) << i;
        for (const std::time_t change : changedInPolls)
            EXPECT_TRUE(std::ranges::any_of(times, [&](std::time_t at) { return at >= change && at - change <= 2; }))
                << "change at " << change;
    }
}

} // namespace
} // namespace zelto::enginetest
