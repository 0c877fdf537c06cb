// The update cycle woken by the Windows adapter. Wine registers the address notification but never calls
// it, and sends no power event: the test calls the adapter's callback as IP Helper would, and announces the
// resume as the window or the service control would; the cycle's own wait is the real one.
#include "platform/windows/WindowsSystemEvents.h"

#include "fakes/FakePorts.h"
#include "fakes/SeedDomains.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "update/UpdateCycle.h"

#include <gtest/gtest.h>

#include <thread>

namespace zelto {
namespace {

using namespace std::chrono_literals;

bool Await(const std::function<bool()>& condition) {
    for (int look = 0; look < 1000 && !condition(); ++look)
        std::this_thread::sleep_for(10ms);
    return condition();
}

TEST(WindowsSystemEventsTest, EventsReachTheListenerOnlyWhileItListens) {
    WindowsSystemEvents events;
    std::vector<SystemEvent> heard;
    events.OnAddressChange();
    events.Listen([&](SystemEvent event) { heard.push_back(event); });
    events.OnAddressChange();
    events.Announce(SystemEvent::Resumed);
    events.Unlisten();
    events.OnAddressChange();
    EXPECT_EQ(heard, (std::vector{SystemEvent::AddressesChanged, SystemEvent::Resumed}));
}

TEST(WindowsSystemEventsTest, AResumeEndsTheWaitAfterFailuresAndTheCyclesPoll) {
    fakes::TempDir dir;
    SettingsFile settings(dir.File("ZeltoPre.INI"));
    fakes::SeedDomains(settings, {{"example", "com", "secret12"}});
    settings.WriteText("updateserver", "127.0.0.1:9");
    fakes::FakeWorld world(settings);
    world.clock.now = fakes::FakeClock::At(2025, 3, 14, 10, 30, 0); // stands still: the wait never ends by itself
    WindowsSystemEvents events;
    world.ports.platform.events = &events;
    UpdateCycle cycle(world.ports, {std::chrono::hours(1), 0ms});
    std::thread runner([&] { cycle.RunUpdateCycle(); });
    const bool failed = Await([&] { return !settings.ReadText("retryafter").empty(); });
    events.Announce(SystemEvent::Resumed);
    const bool again = Await([&] { return world.http.Requests().size() == 2; });
    cycle.RequestStop();
    runner.join();
    EXPECT_TRUE(failed);
    EXPECT_TRUE(again) << "the resume did not end the wait and the hour's poll";
}

} // namespace
} // namespace zelto
