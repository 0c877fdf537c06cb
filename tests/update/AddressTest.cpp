// The machine's addresses: filtering, the address each method sends, and the decision built on them.

#include "schema/ClientSettings.h"
#include "update/AddressDetection.h"
#include "update/AddressFilter.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateDecision.h"

#include "EngineFixture.h"

namespace zelto::enginetest {
namespace {

using fakes::FakeClock;

TEST(ReservedRangeTest, BoundariesOfEveryRange) {
    for (const char* address :
         {"10.1.2.3", "172.16.0.1", "172.31.255.255", "192.168.0.1", "169.254.10.20", "127.0.0.1"})
        EXPECT_TRUE(IsReservedAddress(address)) << address;
    for (const char* address : {"100.1.2.3", "1.10.0.1", "10", "172.15.0.1", "172.32.0.1", "172.3.0.1", "192.169.0.1",
                                "192.16.80.1", "169.253.0.1", "127.0.0.2", "0.0.0.0", "224.0.0.1"})
        EXPECT_FALSE(IsReservedAddress(address)) << address;
}

class AddressTest : public EngineTest {
protected:
    // With the method as stored, as a pass reads it.
    DetectedAddress Detect(const Addresses& machine) {
        world.addresses.addresses = machine;
        return DetectCurrentAddress(ports, ServiceEndpoints(settings), ClientSettingsView(settings).EngineMethod());
    }
};

TEST_F(AddressTest, FilterPutsReservedLastAndDropsIgnoredByExactText) {
    EXPECT_EQ(FilterAddressList(settings, {"127.0.0.1", "198.51.100.1", "10.0.0.2", "203.0.113.7", "172.16.0.1"}),
              (Addresses{"198.51.100.1", "203.0.113.7", "127.0.0.1", "10.0.0.2", "172.16.0.1"}));
    for (const char* address : {"10.0.0.2", "127.0.0.1", "010.0.0.1"})
        ASSERT_TRUE(ClientSettings(settings).AppendIgnoredAddress(address));
    const Addresses machine{"127.0.0.1", "10.0.0.2", "10.0.0.1", "203.0.113.7"};
    EXPECT_EQ(FilterAddressList(settings, machine), (Addresses{"203.0.113.7", "10.0.0.1"}));
    // Keys above the count stay in the file and have no effect.
    settings.WriteInt("numofignoreip", 1);
    EXPECT_EQ(FilterAddressList(settings, machine), (Addresses{"203.0.113.7", "127.0.0.1", "10.0.0.1"}));
}

TEST_F(AddressTest, ClientSideChoiceForMethodOneMissingAndUnknown) {
    const struct {
        Addresses machine;
        std::string chosen;
    } cases[] = {
        {{}, ""},
        {{"127.0.0.1"}, ""},
        {{"203.0.113.7", "198.51.100.1"}, "198.51.100.1"},
        {{"127.0.0.1", "192.168.1.5", "10.0.0.2"}, "10.0.0.2"},
        // Both kinds: the last ordinary address, never the private one the filter puts last.
        {{"10.0.0.2", "203.0.113.7", "172.16.0.1", "198.51.100.1", "127.0.0.1"}, "198.51.100.1"},
    };
    for (const char* method : {"", "1", "7"}) {
        if (*method != '\0')
            settings.WriteText("ipmethod", method);
        for (const auto& c : cases)
            EXPECT_EQ(Detect(c.machine).address, c.chosen) << "ipmethod " << method << ", " << c.machine.size();
    }
    EXPECT_TRUE(world.http.Requests().empty());
}

TEST_F(AddressTest, AddressCheckMatchesExactlyOrFallsBackToTheClientSide) {
    settings.WriteInt("ipmethod", 2);
    const Addresses machine{"203.0.113.7", "192.168.1.5", "198.51.100.1"};
    world.http.AnswerLine("ipcheck.asp", "ip192.168.1.5\r", true);
    EXPECT_EQ(Detect(machine).address, "192.168.1.5") << "found late in the list, though private";
    for (const HttpFetch& answer : {HttpFetch{true, "ip203.0.113.99"}, HttpFetch{true, "ip203.0.113.7 "},
                                    HttpFetch{true, "<html><title>500</title>"}}) {
        world.http.Answer("ipcheck.asp", answer, true);
        EXPECT_EQ(Detect(machine).address, "198.51.100.1") << answer.firstLine;
    }
    // No answer at all: the update would get none either, so there is nothing to send.
    world.http.Answer("ipcheck.asp", HttpFetch{}, true);
    EXPECT_TRUE(Detect(machine).unanswered.has_value());
    EXPECT_EQ(world.http.Requests().size(), 5u);
    EXPECT_EQ(world.http.SessionsClosed(), 5);
    EXPECT_EQ(world.autodial.writes.size(), 10u) << "each check is guarded";

    ASSERT_TRUE(ClientSettings(settings).AppendIgnoredAddress("192.168.1.5"));
    world.http.AnswerLine("ipcheck.asp", "ip192.168.1.5");
    EXPECT_EQ(Detect({"203.0.113.7", "192.168.1.5"}).address, "203.0.113.7");
}

TEST_F(AddressTest, FixedAddressIsSentUncheckedAndUnfilteredWithoutAnyNetworkAddress) {
    settings.WriteInt("ipmethod", 3);
    EXPECT_EQ(Detect({}).address, "0.0.0.0");
    ASSERT_TRUE(ClientSettings(settings).WriteFixedAddress({203, 0, 113, 7}));
    ASSERT_TRUE(ClientSettings(settings).AppendIgnoredAddress("203.0.113.7"));
    EXPECT_EQ(Detect({}).address, "203.0.113.7");
    EXPECT_TRUE(world.http.Requests().empty());
}

TEST_F(AddressTest, UpdateIsDueInANewYearOnAnHourWrittenOtherwiseAndWithoutAnyAddress) {
    auto due = [this](const char* hour, const char* day, const char* year, std::time_t now,
                      const Addresses& machine = {"203.0.113.7"}) {
        ClientSettings(settings).WriteUpdateRecord({"203.0.113.7", {hour, day, year}, std::nullopt});
        world.clock.now = now;
        world.addresses.addresses = machine;
        return IsUpdateDue(ports);
    };
    EXPECT_FALSE(due("23", "366", "2024", FakeClock::At(2024, 12, 31, 23, 59, 59)));
    EXPECT_TRUE(due("23", "366", "2024", FakeClock::At(2025, 1, 1, 0, 0, 5)));
    EXPECT_FALSE(due("07", "073", "2025", FakeClock::At(2025, 3, 14, 7, 30, 0)));
    EXPECT_TRUE(due("7", "073", "2025", FakeClock::At(2025, 3, 14, 7, 30, 0)));
    EXPECT_TRUE(due("10", "073", "2025", FakeClock::At(2025, 3, 14, 10, 5, 0), {}));
}

} // namespace
} // namespace zelto::enginetest
