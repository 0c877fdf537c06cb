#include "platform/windows/AdapterAddresses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace zelto::wintest {
namespace {

// Under Wine the adapters are the host's interfaces: scripts/test-windows passes the host's own list of
// IPv4 addresses that are up, loopback left out.
TEST(AdapterAddressesTest, ListsTheUpAdaptersAddressesWithoutLoopback) {
    const char* expected = std::getenv("ZELTO_TEST_HOST_ADDRESSES");
    ASSERT_NE(expected, nullptr) << "ZELTO_TEST_HOST_ADDRESSES is not set; run scripts/test-windows";
    std::vector<std::string> host;
    std::istringstream words(expected);
    for (std::string address; words >> address;)
        host.push_back(address);

    AdapterAddresses adapters;
    std::vector<std::string> listed = adapters.List();
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "127.0.0.1"), 0);
    std::sort(listed.begin(), listed.end());
    std::sort(host.begin(), host.end());
    EXPECT_EQ(listed, host);
}

} // namespace
} // namespace zelto::wintest
