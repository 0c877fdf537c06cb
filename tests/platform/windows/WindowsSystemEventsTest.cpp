// Wine registers the address notification but never calls it, and sends no power event: the test calls the
// adapter's callback as IP Helper would, and announces the resume as the window or the service control would.
#include "platform/windows/WindowsSystemEvents.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelto {
namespace {

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

} // namespace
} // namespace zelto
