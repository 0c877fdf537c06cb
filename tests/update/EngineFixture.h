#pragma once

// A settings file in a fresh folder, every fake port wired to it, and local time pinned to UTC.

#include "fakes/FakePorts.h"
#include "fakes/SeedDomains.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "update/UpdateCycle.h"

#include <gtest/gtest.h>

namespace zelto::enginetest {

using Addresses = std::vector<std::string>;

class EngineTest : public ::testing::Test {
protected:
    EngineTest() {
        setenv("TZ", "UTC", 1);
        tzset();
        settings.WriteText("updateserver", "127.0.0.1:9");
    }

    // The domain list made these names under com, with one password.
    void AddDomains(const Addresses& secondLevels) {
        std::vector<DomainEntry> entries;
        for (const std::string& name : secondLevels)
            entries.push_back({name, "com", "secret12"});
        ASSERT_TRUE(fakes::SeedDomains(settings, entries));
    }

    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld world{settings};
    EnginePorts& ports = world.ports;
};

struct Served {
    std::string url;
    std::time_t at;
};

// The real update cycle over simulated time, from 10:30 on a day in March, on a machine with a public address.
class CycleTest : public EngineTest {
protected:
    CycleTest() {
        world.clock.now = fakes::FakeClock::At(2025, 3, 14, 10, 30, 0);
        world.addresses.addresses = {"203.0.113.7"};
        // Every request recorded with its time and, when `answer` is set, answered by it.
        world.http.onRequest = [this](const std::string& url) {
            served.push_back({url, world.clock.now});
            if (answer)
                world.http.Answer("", answer(url), true);
        };
    }

    // The pauses of `seconds` of simulated time, each calling `during` within and `each` after it.
    std::vector<std::chrono::milliseconds> Run(std::time_t seconds, const std::function<void()>& each = {},
                                               const std::function<void(std::chrono::milliseconds)>& during = {}) {
        using std::chrono::milliseconds;
        const std::time_t end = world.clock.now + seconds;
        fakes::FakeSleeper sleeper;
        UpdateCycle cycle(ports, {milliseconds(10000), milliseconds(30000), [this] { return spread; }}, &sleeper);
        sleeper.onSleep = during;
        sleeper.onSlept = [&](milliseconds slept) {
            world.clock.now += std::chrono::duration_cast<std::chrono::seconds>(slept).count();
            if (each)
                each();
            if (world.clock.now >= end)
                cycle.RequestStop();
        };
        cycle.RunUpdateCycle();
        return sleeper.Pauses();
    }

    // The times of the requests whose URL contains `part`.
    std::vector<std::time_t> Times(const std::string& part) const {
        std::vector<std::time_t> times;
        for (const Served& request : served)
            if (request.url.find(part) != std::string::npos)
                times.push_back(request.at);
        return times;
    }

    std::vector<Served> served;
    std::function<HttpFetch(const std::string&)> answer;
    double spread = 0.5;
};

} // namespace zelto::enginetest
