// One domain's exchange end to end: UpdateDomain over the libcurl session against the service emulator.

#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "platform/linux/CurlHttpSession.h"
#include "settings/SettingsFile.h"
#include "update/UpdateDomain.h"

#include "ServiceEmulator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zelto {
namespace {

using emulator::Fault;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;

class UpdateOverHttpTest : public ::testing::Test {
protected:
    UpdateOverHttpTest() {
        settings.WriteText("updateserver", service.HostPort());
        settings.WriteText("website", service.HostPort());
    }

    DomainExchange Update(const std::string& password, const std::string& address) {
        auto session = factory.Open();
        return UpdateDomain(world.ports, *session, "com", "example", password, address);
    }

    emulator::ServiceEmulator service{emulator::Options{0, std::chrono::seconds(30), {}, false}};
    CurlHttpSessionFactory factory{"zelto-tests", HttpTimeouts{2000ms, 800ms}};
    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld world{settings};
};

TEST_F(UpdateOverHttpTest, PasswordWithReservedCharactersReachesTheServiceIntact) {
    service.AddAccount({"example", "com", "p&s #%+", false});
    DomainExchange exchange = Update("p&s #%+", "203.0.113.7");
    EXPECT_EQ(exchange.line, "ip203.0.113.7");
    EXPECT_EQ(service.RegisteredAddress("example.com"), "203.0.113.7");
    EXPECT_EQ(settings.ReadText("updatedip"), "203.0.113.7");
    EXPECT_THAT(world.notices.Tooltips(), ElementsAre("Zelto Premium Online! IP Address->203.0.113.7"));
}

TEST_F(UpdateOverHttpTest, WithoutAnAddressTheServiceRegistersThePeer) {
    service.AddAccount({"example", "com", "secret1", false});
    Update("secret1", "");
    EXPECT_EQ(settings.ReadText("updatedip"), "127.0.0.1");
}

TEST_F(UpdateOverHttpTest, StallRecordsNothingAndReleasesTheGuard) {
    Fault stall;
    stall.kind = Fault::Kind::Delay;
    stall.delay = 10s;
    service.SetFault(stall);
    DomainExchange exchange = Update("secret1", "");
    EXPECT_FALSE(exchange.obtained);
    EXPECT_EQ(settings.ReadText("updatedip"), "");
    EXPECT_THAT(world.notices.Messages(), IsEmpty());
    EXPECT_THAT(world.notices.Tooltips(), IsEmpty());
    EXPECT_EQ(world.autodial.value, 1u);
    EXPECT_EQ(world.autodial.writes, (std::vector<std::uint32_t>{0, 1}));
}

enum class Shown { Nothing, Expired, NoDomain, WrongPassword };

struct ServedCase {
    const char* name;
    int status;
    const char* body;
    Shown shown;
    const char* registered; // nullptr: no record
};

void PrintTo(const ServedCase& c, std::ostream* out) {
    *out << c.name;
}

class ServedAnswerTest : public UpdateOverHttpTest, public ::testing::WithParamInterface<ServedCase> {};

TEST_P(ServedAnswerTest, IsJudgedByItsFirstLine) {
    const ServedCase& c = GetParam();
    Fault answer;
    answer.kind = Fault::Kind::Response;
    answer.status = c.status;
    answer.body = c.body;
    service.SetFault(answer);
    EXPECT_TRUE(Update("secret1", "").obtained);

    const std::string page = "http://" + service.HostPort() + "/register.htm";
    switch (c.shown) {
    case Shown::Nothing:
        EXPECT_THAT(world.notices.Messages(), IsEmpty());
        break;
    case Shown::Expired:
        EXPECT_THAT(world.notices.Messages(),
                    ElementsAre("Your subscription for example.com has expired! Please visit " + page +
                                " to re-activate your subscription!"));
        break;
    case Shown::NoDomain:
        EXPECT_THAT(world.notices.Messages(),
                    ElementsAre("Domain *.example.com does not exist! Please visit " + page +
                                " to create your subscription or correct the domain in properties!"));
        break;
    case Shown::WrongPassword:
        EXPECT_THAT(world.notices.Messages(), ElementsAre("Password for domain *.example.com is incorrect! Please "
                                                          "enter the correct password in properties!"));
        break;
    }
    if (c.registered) {
        EXPECT_EQ(settings.ReadText("updatedip"), c.registered);
        EXPECT_THAT(world.notices.Tooltips(),
                    ElementsAre(std::string("Zelto Premium Online! IP Address->") + c.registered));
    } else {
        EXPECT_EQ(settings.ReadText("updatedhour"), "");
        EXPECT_THAT(world.notices.Tooltips(), IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Served, ServedAnswerTest,
    ::testing::Values(
        ServedCase{"Expired", 200, "expired\r\n", Shown::Expired, nullptr},
        ServedCase{"NoDomain", 200, "nodomain\r\n", Shown::NoDomain, nullptr},
        ServedCase{"WrongPassword", 200, "wrongpassword", Shown::WrongPassword, nullptr},
        ServedCase{"IpWithCrLf", 200, "ip203.0.113.7\r\n", Shown::Nothing, "203.0.113.7"},
        ServedCase{"IpAlone", 200, "ip\r\n", Shown::Nothing, ""},
        ServedCase{"UpperCaseIp", 200, "IP203.0.113.7\r\n", Shown::Nothing, nullptr},
        ServedCase{"LeadingBlank", 200, " ip203.0.113.7\r\n", Shown::Nothing, nullptr},
        ServedCase{"ExpiredTrailingBlank", 200, "expired \r\n", Shown::Nothing, nullptr},
        ServedCase{"SecondLineIgnored", 200, "success\r\nip203.0.113.7\r\n", Shown::Nothing, nullptr},
        ServedCase{"FirstLineCounts", 200, "wrongpassword\r\nip1.2.3.4\r\n", Shown::WrongPassword, nullptr},
        ServedCase{"ServerErrorStartingWithIp", 500, "ip203.0.113.9\r\n<h1>Error</h1>", Shown::Nothing, "203.0.113.9"},
        ServedCase{"CarriageReturnInside", 200, "ex\rpired\r\n", Shown::Expired, nullptr},
        ServedCase{"EmptyBody", 200, "", Shown::Nothing, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelto
