#include "update/AddressDetection.h"

#include "EngineFixture.h"

namespace zelto::enginetest {
namespace {

using Addresses = std::vector<std::string>;

const std::string kIpCheck = "/premium/ipcheck.asp";

class AddressDetectionTest : public EngineTest {
protected:
    std::string Detect(const Addresses& machine) {
        world.addresses.addresses = machine;
        return DetectCurrentAddress(ports);
    }
};

// Methods 1, 0 (when asked anyway), 7 and a missing key all make the client-side choice.
TEST_F(AddressDetectionTest, ClientSideChoiceForEveryMethodButTwoAndThree) {
    const struct {
        Addresses machine;
        std::string chosen;
    } cases[] = {
        {{}, ""},
        {{"127.0.0.1"}, ""},
        {{"203.0.113.7", "198.51.100.1"}, "198.51.100.1"},
        {{"127.0.0.1", "192.168.1.5", "10.0.0.2"}, "10.0.0.2"},
        {{"10.0.0.2", "127.0.0.1"}, "10.0.0.2"},
        // Both kinds: the last ordinary address, not the private one the filter puts last.
        {{"198.51.100.1", "192.168.1.5"}, "198.51.100.1"},
        {{"10.0.0.2", "203.0.113.7", "172.16.0.1", "198.51.100.1", "127.0.0.1"}, "198.51.100.1"},
    };
    for (const char* method : {"", "1", "0", "7", "-2"}) {
        if (*method != '\0')
            settings.WriteText("ipmethod", method);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string("ipmethod ") + method + ", " + std::to_string(c.machine.size()) + " addresses");
            EXPECT_EQ(Detect(c.machine), c.chosen);
        }
    }
    EXPECT_TRUE(world.http.Requests().empty());
}

TEST_F(AddressDetectionTest, AddressCheckMatchIsReturnedWhereverItStands) {
    settings.WriteInt("ipmethod", 2);
    world.http.AnswerLine(kIpCheck, "ip192.168.1.5");
    EXPECT_EQ(Detect({"192.168.1.5", "203.0.113.7", "10.0.0.2", "198.51.100.1"}), "192.168.1.5");
    EXPECT_EQ(world.http.Requests(), (Addresses{"http://" + std::string(kTestServer) + kIpCheck}));
    ASSERT_EQ(world.notices.Exchanges().size(), 1u);
    EXPECT_NE(world.notices.Exchanges()[0].find("ip192.168.1.5"), std::string::npos);
}

TEST_F(AddressDetectionTest, AddressCheckWithoutUsableAnswerFallsBackToClientSide) {
    settings.WriteInt("ipmethod", 2);
    const Addresses machine{"203.0.113.7", "198.51.100.1", "192.168.1.5"};
    const struct {
        const char* what;
        HttpFetch fetch;
    } cases[] = {
        {"address not among ours", {true, "ip203.0.113.99"}},
        {"trailing blank", {true, "ip203.0.113.7 "}},
        {"leading blank", {true, " ip203.0.113.7"}},
        {"upper case prefix", {true, "IP203.0.113.7"}},
        {"error page", {true, "<html><head><title>500</title>"}},
        {"empty address", {true, "ip"}},
        {"no answer", {false, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        world.http.Answer(kIpCheck, c.fetch, true);
        EXPECT_EQ(Detect(machine), "198.51.100.1");
    }
    EXPECT_EQ(world.http.Requests().size(), std::size(cases));
}

TEST_F(AddressDetectionTest, IgnoredServerSeenAddressIsNeverReturned) {
    settings.WriteInt("ipmethod", 2);
    SetIgnoreList({"198.51.100.1"});
    world.http.AnswerLine(kIpCheck, "ip198.51.100.1");
    EXPECT_EQ(Detect({"198.51.100.1", "203.0.113.7", "192.168.1.5"}), "203.0.113.7");
}

TEST_F(AddressDetectionTest, AddressCheckUsesItsOwnGuardedSessionPerCall) {
    settings.WriteInt("ipmethod", 2);
    world.http.AnswerLine(kIpCheck, "ip203.0.113.7");
    for (int call = 1; call <= 3; ++call) {
        EXPECT_EQ(Detect({"203.0.113.7"}), "203.0.113.7");
        EXPECT_EQ(world.http.SessionsOpened(), call);
        EXPECT_EQ(world.http.SessionsClosed(), call);
    }
    // Dial-up switched off for each check and back on after it.
    EXPECT_EQ(world.autodial.writes, (std::vector<std::uint32_t>{0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(world.autodial.value, 1u);
}

TEST_F(AddressDetectionTest, AddressCheckWithoutSessionFallsBackAndIsLogged) {
    settings.WriteInt("ipmethod", 2);
    world.http.failOpen = true;
    EXPECT_EQ(Detect({"203.0.113.7", "10.0.0.2"}), "203.0.113.7");
    EXPECT_EQ(world.notices.Exchanges().size(), 1u);
}

TEST_F(AddressDetectionTest, FixedAddressIsReturnedUncheckedWithoutAnyNetworkAddress) {
    settings.WriteInt("ipmethod", 3);
    EXPECT_EQ(Detect({}), "0.0.0.0");
    settings.WriteInt("one", 203);
    settings.WriteInt("three", 113);
    settings.WriteInt("four", 7);
    EXPECT_EQ(Detect({}), "203.0.113.7");
    // Ignore list and reserved ranges do not apply to it; out-of-range values go out as stored.
    SetIgnoreList({"203.0.113.7"});
    EXPECT_EQ(Detect({"198.51.100.1"}), "203.0.113.7");
    settings.WriteInt("one", -1);
    settings.WriteInt("two", 300);
    EXPECT_EQ(Detect({}), "-1.300.113.7");
    EXPECT_TRUE(world.http.Requests().empty());
}

} // namespace
} // namespace zelto::enginetest
