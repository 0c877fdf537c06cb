// One domain's exchange: the URL, what each answer shows and records, the dial-up guard, and TLS.

#include "ServiceEmulator.h"
#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "platform/linux/http/CurlHttpSession.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "settings/SettingsFile.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateDomain.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace zelto {
namespace {

using namespace std::chrono_literals;
using emulator::Fault;
using Texts = std::vector<std::string>;

// Every page answers `status` with `body`, sending to `location` if given.
Fault Answer(int status, const std::string& body, const std::string& location = "") {
    return {Fault::Kind::Response, {}, status, body, location, 0};
}

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
        return UpdateDomain(world.ports, *http.Open(), ServiceEndpoints(settings), 1, {second, "com", password},
                            address);
    }

    emulator::ServiceEmulator service{emulator::Options{0, 30s, {}, false}};
    SocketHttpSessionFactory curl{"zelto-tests", HttpTimeouts{2000ms, 2000ms}};
    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld world{settings};
};

// The server's scheme in any case; without an address, no ip_address; values encoded, so that none adds a field.
TEST_F(ExchangeTest, UrlFollowsTheServersSchemeAndCarriesEncodedValues) {
    settings.WriteText("updateserver", "HTTPS://update.example:8443/");
    Run(world.http, "a=b", "p&s #%+?");
    EXPECT_EQ(world.http.Requests().back(),
              "https://update.example:8443/premium/update.asp?first=com&second=a%3Db&password=p%26s%20%23%25%2B%3F");
}

struct AnswerCase {
    const char* name;
    int status;
    const char* body;
    const char* message;    // the fake notices' record of the refusal, before where to register; nullptr: none
    const char* registered; // nullptr: nothing recorded
    ExchangeOutcome outcome = ExchangeOutcome::Answered;
};

class AnswerTest : public ExchangeTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTest, ShowsAndRecordsWhatTheFirstLineMeans) {
    const AnswerCase& c = GetParam();
    service.SetFault(Answer(c.status, c.body));
    std::string pausedWhenTold;
    world.notices.onMessage = [&](const std::string&) { pausedWhenTold = settings.ReadText("paused1"); };
    EXPECT_NE(Run(curl).outcome.result, RequestResult::NoAnswer);
    const std::string registration = " " + ServiceEndpoints(settings).RegistrationPage();
    EXPECT_EQ(world.notices.Messages(), c.message ? Texts{c.message + registration} : Texts{});
    EXPECT_EQ(!pausedWhenTold.empty(), c.message != nullptr) << "a refusal is paused before it is told";
    EXPECT_EQ(world.notices.Outcomes(), std::vector<ExchangeOutcome>{c.outcome});
    EXPECT_EQ(settings.ReadText("updatedip") + "@" + settings.ReadText("updatedhour") +
                  settings.ReadText("updatedday") + settings.ReadText("updatedyear"),
              c.registered ? c.registered + std::string("@050012025") : "@");
    ASSERT_EQ(world.notices.Tooltips().size(), c.registered ? 1u : 0u);
    if (c.registered) {
        EXPECT_TRUE(world.notices.Tooltips()[0].ends_with(std::string("->") + c.registered));
    }
}

const AnswerCase kAnswers[] = {
    {"Expired", 200, "expired\r\n", "expired example.com", nullptr},
    {"NoDomain", 200, "nodomain", "nodomain example.com", nullptr},
    {"IpAlone", 200, "ip\r\n", nullptr, ""},
    {"IpNotAnAddress", 200, "ip203.0.113.x\r\n", nullptr, nullptr, ExchangeOutcome::NotAnAddress},
    {"UpperCaseIp", 200, "IP203.0.113.7", nullptr, nullptr},
    {"LeadingBlank", 200, " ip203.0.113.7", nullptr, nullptr},
    {"ExpiredTrailingBlank", 200, "expired \r\n", nullptr, nullptr},
    {"ServerErrorStartingWithIp", 500, "ip203.0.113.9\r\n<h1>Error</h1>", nullptr, "203.0.113.9"},
    {"EmptyBody", 200, "", nullptr, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Answers, AnswerTest, ::testing::ValuesIn(kAnswers),
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
        {1, false, true, "ip203.0.113.7", {1, 1}},
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

struct TlsCase {
    const char* name;
    const char* server; // its certificate, as make-test-certificates.sh names it; nullptr: plain http
    bool withCaFile;    // "cafile" names the bundle; else the system's store decides
    bool toPlainHttp;   // the server redirects to plain http
    bool registered;
    HttpFailure why;
};

class TlsExchangeTest : public ExchangeTest, public ::testing::WithParamInterface<TlsCase> {
protected:
    const HttpTimeouts timeouts{5000ms, 5000ms};
    SocketHttpSessionFactory http{"zelto-tests", timeouts,
                                  std::make_shared<CurlHttpSessionFactory>("zelto-tests", timeouts)};
};

TEST_P(TlsExchangeTest, RegistersOnlyWithAServerTheBundleVouchesFor) {
    const TlsCase& c = GetParam();
    const std::filesystem::path certificates = dir.Path();
    ASSERT_EQ(std::system(("bash " ZELTO_TEST_CERTIFICATES " '" + certificates.string() + "'").c_str()), 0);
    emulator::TlsFiles tls;
    if (c.server)
        tls = {(certificates / c.server).string() + ".crt", (certificates / c.server).string() + ".key"};
    emulator::ServiceEmulator secure(emulator::Options{0, 30s, {}, false}, tls);
    secure.AddAccount({"example", "com", "secret1", false});
    emulator::ServiceEmulator plain(emulator::Options{0, 30s, {}, false});
    if (c.toPlainHttp)
        secure.SetFault(Answer(302, "", "http://" + plain.HostPort() + "/premium/ipcheck.asp"));
    settings.WriteText("updateserver", "https://" + secure.HostPort());
    if (c.withCaFile)
        settings.WriteText("cafile", (certificates / "ca.pem").string());

    const ServiceEndpoints endpoints(settings);
    const std::unique_ptr<HttpSession> session = http.Open(nullptr, endpoints.UpdateServerTrust());
    ASSERT_TRUE(session);
    const DomainExchange exchange =
        UpdateDomain(world.ports, *session, endpoints, 1, {"example", "com", "secret1"}, "203.0.113.7");

    EXPECT_EQ(exchange.outcome.result != RequestResult::NoAnswer, c.registered);
    EXPECT_EQ(exchange.outcome.failure, c.why);
    EXPECT_EQ(settings.ReadText("updatedip"), c.registered ? "203.0.113.7" : "");
    EXPECT_EQ(secure.RegisteredAddress("example.com"), c.registered ? "203.0.113.7" : "");
    if (!c.server) {
        EXPECT_EQ(secure.Requests(), 0) << "a request went out in clear";
    }
    EXPECT_EQ(plain.Requests(), 0) << "a redirect went out in clear";
}

const TlsCase kCases[] = {
    {"Verified", "trusted", true, false, true, HttpFailure::None},
    {"CertificateForAnotherName", "another", true, false, false, HttpFailure::CertificateForAnotherName},
    {"UnknownIssuer", "private", true, false, false, HttpFailure::CertificateNotTrusted},
    {"PrivateAuthorityWithoutCaFile", "trusted", false, false, false, HttpFailure::CertificateNotTrusted},
    {"PlainServerNoFallback", nullptr, true, false, false, HttpFailure::SecureChannelFailed},
    {"RedirectToPlainHttp", "trusted", true, true, false, HttpFailure::RedirectRefused},
};

INSTANTIATE_TEST_SUITE_P(Tls, TlsExchangeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelto
