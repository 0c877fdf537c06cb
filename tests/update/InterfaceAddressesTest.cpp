#include "platform/linux/InterfaceAddresses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace zelto {
namespace {

TEST(InterfaceAddressesTest, ListsTheLoopbackInTheResolversTextForm) {
    const std::vector<std::string> addresses = InterfaceAddresses().List();
    EXPECT_NE(std::find(addresses.begin(), addresses.end(), "127.0.0.1"), addresses.end());
    // Four parts 0 to 255 in decimal, no leading zeros: the form the ignore list and the service compare.
    const std::string partText = "(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])";
    const std::regex address(partText + "\\." + partText + "\\." + partText + "\\." + partText);
    for (const std::string& text : addresses)
        EXPECT_TRUE(std::regex_match(text, address)) << text;
}

} // namespace
} // namespace zelto
