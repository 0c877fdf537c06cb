#include "update/AddressFilter.h"

#include "EngineFixture.h"

namespace zelto::enginetest {
namespace {

using Addresses = std::vector<std::string>;

TEST(ReservedRangeTest, BoundariesOfEveryRange) {
    const struct {
        const char* address;
        bool reserved;
    } cases[] = {
        {"10.1.2.3", true},      {"100.1.2.3", false},   {"1.10.0.1", false},      {"10", false},
        {"172.15.0.1", false},   {"172.16.0.1", true},   {"172.31.255.255", true}, {"172.32.0.1", false},
        {"172.3.0.1", false},    {"192.168.0.1", true},  {"192.169.0.1", false},   {"192.16.80.1", false},
        {"169.254.10.20", true}, {"169.253.0.1", false}, {"127.0.0.1", true},      {"127.0.0.2", false},
        {"127.0.0.10", false},   {"0.0.0.0", false},     {"224.0.0.1", false},     {"203.0.113.7", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsReservedAddress(c.address), c.reserved) << c.address;
}

class AddressFilterTest : public EngineTest {};

TEST_F(AddressFilterTest, OrdinaryGroupComesFirstAndEachGroupKeepsInputOrder) {
    EXPECT_EQ(FilterAddressList(settings, {"192.168.1.5", "203.0.113.7"}), (Addresses{"203.0.113.7", "192.168.1.5"}));
    EXPECT_EQ(FilterAddressList(settings, {"127.0.0.1", "198.51.100.1", "10.0.0.2", "203.0.113.7", "172.16.0.1"}),
              (Addresses{"198.51.100.1", "203.0.113.7", "127.0.0.1", "10.0.0.2", "172.16.0.1"}));
    EXPECT_TRUE(FilterAddressList(settings, {}).empty());
}

TEST_F(AddressFilterTest, IgnoredAddressIsRemovedEvenWhenReserved) {
    SetIgnoreList({"10.0.0.2", "127.0.0.1", "203.0.113.7"});
    EXPECT_EQ(FilterAddressList(settings, {"127.0.0.1", "10.0.0.2", "203.0.113.7", "192.168.1.5", "198.51.100.1"}),
              (Addresses{"198.51.100.1", "192.168.1.5"}));
}

TEST_F(AddressFilterTest, IgnoreEntriesMatchOnlyTheExactText) {
    SetIgnoreList({"010.0.0.1", "10.0.0.02", "10.0.0.3.", "10.0.0"});
    const Addresses input{"10.0.0.1", "10.0.0.2", "10.0.0.3"};
    EXPECT_EQ(FilterAddressList(settings, input), input);
    for (const std::string& address : input)
        EXPECT_FALSE(IsIgnoredAddress(settings, address)) << address;
}

TEST_F(AddressFilterTest, EntriesAboveTheCountHaveNoEffect) {
    SetIgnoreList({"198.51.100.1", "203.0.113.7"});
    settings.WriteInt("numofignoreip", 1);
    EXPECT_EQ(FilterAddressList(settings, {"203.0.113.7", "198.51.100.1"}), (Addresses{"203.0.113.7"}));
    settings.WriteInt("numofignoreip", 0);
    EXPECT_FALSE(IsIgnoredAddress(settings, "198.51.100.1"));
    settings.WriteInt("numofignoreip", -3);
    EXPECT_EQ(FilterAddressList(settings, {"198.51.100.1"}), (Addresses{"198.51.100.1"}));
}

} // namespace
} // namespace zelto::enginetest
