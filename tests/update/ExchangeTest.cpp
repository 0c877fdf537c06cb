// One domain's exchange: the URL sent, what each answer shows and records, and the dial-up guard around it.

#include "ServiceEmulator.h"
#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "settings/SettingsFile.h"
#include "update/DialUpGuard.h"
#include "update/UpdateDomain.h"

#include <gtest/gtest.h>

namespace zelto {
namespace {

using namespace std::chrono_literals;
using emulator::Fault;
using Texts = std::vector<std::string>;

class ExchangeTest : public ::testing::Test {
protected:
    ExchangeTest() {
        // Nine hours east of UTC: a record stamped in UTC would show another hour, day and year.
        setenv("TZ", "JST-9", 1);
        tzset();
        world.clock.now = fakes::FakeClock::At(2025, 1, 1, 5, 30, 0);
        settings.WriteText("updateserver", service.HostPort());
    }

    DomainExchange Run(HttpSessionFactory& http, const std::string& second = "example",
                       const std::string& password = "secret1", const std::string& address = "") {
        return UpdateDomain(world.ports, *http.Open(), "com", second, password, address);
    }

    emulator::ServiceEmulator service{emulator::Options{0, 30s, {}, false}};
    SocketHttpSessionFactory curl{"zelto-tests", HttpTimeouts{2000ms, 2000ms}};
    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld world{settings};
};

TEST_F(ExchangeTest, UrlCarriesTheAddressOnlyWhenGivenAndEncodesWhatWouldBreakTheQuery) {
    const struct {
        const char* second;
        const char* password;
        const char* address;
        const char* query;
    } cases[] = {
        {"example", "secret1", "", "first=com&second=example&password=secret1"},
        {"example", "secret1", "203.0.113.7", "first=com&second=example&password=secret1&ip_address=203.0.113.7"},
        {"a=b", "p&s #%+?", "", "first=com&second=a%3Db&password=p%26s%20%23%25%2B%3F"},
    };
    for (const auto& c : cases) {
        Run(world.http, c.second, c.password, c.address);
        EXPECT_EQ(world.http.Requests().back(), "http://" + service.HostPort() + "/premium/update.asp?" + c.query);
    }
}

TEST_F(ExchangeTest, UpdateServerWithItsSchemeDecidesTheUrlsScheme) {
    const struct {
        const char* updateServer;
        const char* url;
    } cases[] = {
        {"", "http://dynamic.zelto.com/premium/update.asp?"},
        {"127.0.0.1:8080", "http://127.0.0.1:8080/premium/update.asp?"},
        {"https://update.example:8443", "https://update.example:8443/premium/update.asp?"},
        {"HTTPS://update.example/", "https://update.example/premium/update.asp?"},
        {"http://update.example", "http://update.example/premium/update.asp?"},
    };
    for (const auto& c : cases) {
        settings.WriteText("updateserver", c.updateServer);
        Run(world.http);
        EXPECT_TRUE(world.http.Requests().back().starts_with(c.url)) << world.http.Requests().back();
    }
}

struct AnswerCase {
    const char* name;
    int status; // 0: the connection closes without an answer
    const char* body;
    const char* message;    // nullptr: none
    const char* registered; // nullptr: nothing recorded
    ExchangeOutcome outcome = ExchangeOutcome::Answered;
};

class AnswerTest : public ExchangeTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTest, ShowsAndRecordsWhatTheFirstLineMeans) {
    const AnswerCase& c = GetParam();
    Fault answer;
    answer.kind = c.status ? Fault::Kind::Response : Fault::Kind::CloseWithoutAnswer;
    answer.status = c.status;
    answer.body = c.body;
    service.SetFault(answer);
    EXPECT_EQ(Run(curl).obtained, c.status != 0);
    EXPECT_EQ(world.notices.Messages(), c.message ? Texts{c.message} : Texts{});
    EXPECT_EQ(world.notices.Outcomes(), std::vector<ExchangeOutcome>{c.outcome});
    if (c.registered) {
        EXPECT_EQ(world.notices.Tooltips(), Texts{std::string("Zelto Premium Online! IP Address->") + c.registered});
        EXPECT_EQ(settings.ReadText("updatedip"), c.registered);
        EXPECT_EQ(settings.ReadText("updatedhour") + settings.ReadText("updatedday") + settings.ReadText("updatedyear"),
                  "050012025");
    } else {
        EXPECT_EQ(world.notices.Tooltips(), Texts{});
        EXPECT_EQ(settings.ReadText("updatedip") + settings.ReadText("updatedhour"), "");
    }
}

const char* const kExpired = "Your subscription for example.com has expired! Please visit "
                             "http://www.zelto.com/register.htm to re-activate your subscription!";
const char* const kNoDomain = "Domain *.example.com does not exist! Please visit http://www.zelto.com/register.htm "
                              "to create your subscription or correct the domain in properties!";
const char* const kWrongPassword =
    "Password for domain *.example.com is incorrect! Please enter the correct password in properties!";

INSTANTIATE_TEST_SUITE_P(Answers, AnswerTest,
                         ::testing::Values(AnswerCase{"Expired", 200, "expired\r\n", kExpired, nullptr},
                                           AnswerCase{"NoDomain", 200, "nodomain", kNoDomain, nullptr},
                                           AnswerCase{"WrongPasswordFirstLineCounts", 200,
                                                      "wrongpassword\r\nip1.2.3.4\r\n", kWrongPassword, nullptr},
                                           AnswerCase{"IpWithCrLf", 200, "ip203.0.113.7\r\n", nullptr, "203.0.113.7"},
                                           AnswerCase{"IpAlone", 200, "ip\r\n", nullptr, ""},
                                           AnswerCase{"UpperCaseIp", 200, "IP203.0.113.7", nullptr, nullptr},
                                           AnswerCase{"LeadingBlank", 200, " ip203.0.113.7", nullptr, nullptr},
                                           AnswerCase{"ExpiredTrailingBlank", 200, "expired \r\n", nullptr, nullptr},
                                           AnswerCase{"SecondLineIgnored", 200, "success\r\nip203.0.113.7\r\n", nullptr,
                                                      nullptr},
                                           AnswerCase{"ServerErrorStartingWithIp", 500,
                                                      "ip203.0.113.9\r\n<h1>Error</h1>", nullptr, "203.0.113.9"},
                                           AnswerCase{"EmptyBody", 200, "", nullptr, nullptr},
                                           AnswerCase{"NoAnswer", 0, "", nullptr, nullptr, ExchangeOutcome::NoAnswer}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExchangeTest, DialUpIsOffForTheRequestAndAnyMessageAndBackAsItWasAfter) {
    const struct {
        std::uint32_t before;
        bool exists;
        bool obtained;
        const char* firstLine;
        std::vector<std::uint32_t> seen; // during the request, during a message, after
    } cases[] = {
        {1, true, true, "ip203.0.113.7", {0, 1}},    {1, true, false, "", {0, 1}},
        {1, true, true, "wrongpassword", {0, 0, 1}}, {7, true, true, "success", {0, 7}},
        {0, true, true, "ip203.0.113.7", {0, 0}},    {1, false, true, "ip203.0.113.7", {1, 1}},
    };
    std::vector<std::uint32_t> seen;
    world.http.onRequest = [&](const std::string&) { seen.push_back(world.autodial.value); };
    world.notices.onMessage = [&](const std::string&) { seen.push_back(world.autodial.value); };
    for (const auto& c : cases) {
        seen.clear();
        world.autodial.value = c.before;
        world.autodial.exists = c.exists;
        world.http.Answer("update.asp", HttpFetch{c.obtained, c.firstLine}, true);
        Run(world.http);
        seen.push_back(world.autodial.value);
        EXPECT_EQ(seen, c.seen) << c.before << " " << c.firstLine;
        EXPECT_FALSE(world.autodial.copy) << "a copy kept after the release";
    }
}

// Requests that overlap, in two threads or two processes: dial-up stays off until the last one ends.
TEST(DialUpGuardTest, StaysOffUntilTheLastOverlappingRequestEnds) {
    fakes::FakeAutodial autodial;
    DialUpGuard first(autodial), second(autodial);
    first.Engage();
    second.Engage();
    first.Release();
    EXPECT_EQ(autodial.value, 0u);
    second.Release();
    EXPECT_EQ(autodial.value, 1u);
    EXPECT_FALSE(autodial.copy);
}

} // namespace
} // namespace zelto
