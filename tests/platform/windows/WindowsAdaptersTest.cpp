// The small Windows adapters under Wine: sockets, the adapters' addresses, the system's events.
#include "platform/windows/AdapterAddresses.h"
#include "platform/windows/WindowsSockets.h"
#include "platform/windows/WindowsSystemEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace zelto {
namespace {

// WSAStartup succeeds with an older library too, telling its version: only 1.1 and later will do.
TEST(WindowsSocketsTest, StartsOnlyWhenVersionOneOneOrLaterIsGranted) {
    const struct {
        unsigned char major, minor;
        bool granted;
    } cases[] = {{1, 0, false}, {0, 9, false}, {1, 1, true}, {2, 0, true}, {2, 2, true}};
    for (const auto& c : cases)
        EXPECT_EQ(WindowsSockets::Grants11(static_cast<unsigned short>(c.major | c.minor << 8)), c.granted)
            << int(c.major) << "." << int(c.minor);
    EXPECT_TRUE(WindowsSockets().Started());
}

// Under Wine the adapters are the host's interfaces: scripts/test-windows passes the host's own list of
// IPv4 addresses that are up, loopback left out.
TEST(AdapterAddressesTest, ListsTheUpAdaptersAddressesWithoutLoopback) {
    const char* expected = std::getenv("ZELTO_TEST_HOST_ADDRESSES");
    ASSERT_NE(expected, nullptr) << "ZELTO_TEST_HOST_ADDRESSES is not set; run scripts/test-windows";
    std::vector<std::string> host;
    std::istringstream words(expected);
    for (std::string address; words >> address;)
        host.push_back(address);
    std::vector<std::string> listed = AdapterAddresses().List();
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "127.0.0.1"), 0);
    std::sort(listed.begin(), listed.end());
    std::sort(host.begin(), host.end());
    EXPECT_EQ(listed, host);
}

// Wine registers the address notification but never calls it, and sends no power event: the test calls the
// adapter's callback as IP Helper would, and announces the resume as the window or the service control would.
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
