// The exchange with an update server written "https://host:port": over TLS to the emulator, with
// certificates made for the test, verified against the "cafile" bundle and never downgraded to plain http.

#include "ServiceEmulator.h"
#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "fakes/TestCertificates.h"
#include "platform/linux/http/CurlHttpSession.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "settings/SettingsFile.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateDomain.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace zelto {
namespace {

using namespace std::chrono_literals;

struct TlsCase {
    const char* name;
    const char* certName; // what the server's certificate is for; nullptr: the server speaks plain http
    bool byStranger;      // signed by an authority outside the bundle
    bool withCaFile;      // "cafile" names the bundle; else the system's store decides
    bool toPlainHttp;     // the server redirects to plain http
    bool registered;
    HttpFailure why;
};

class TlsExchangeTest : public ::testing::TestWithParam<TlsCase> {
protected:
    fakes::TempDir dir;
    fakes::TestCertificates certificates{dir.Path()};
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld world{settings};
    const HttpTimeouts timeouts{5000ms, 5000ms};
    SocketHttpSessionFactory http{"zelto-tests", timeouts,
                                  std::make_shared<CurlHttpSessionFactory>("zelto-tests", timeouts)};
};

TEST_P(TlsExchangeTest, RegistersOnlyWithAServerTheBundleVouchesFor) {
    const TlsCase& c = GetParam();
    emulator::TlsFiles tls;
    if (c.certName) {
        const auto server = certificates.Issue("server", c.certName, c.byStranger);
        tls = {server.cert.string(), server.key.string()};
    }
    emulator::ServiceEmulator service(emulator::Options{0, 30s, {}, false}, tls);
    service.AddAccount({"example", "com", "secret1", false});
    emulator::ServiceEmulator plain(emulator::Options{0, 30s, {}, false});
    if (c.toPlainHttp) {
        emulator::Fault redirect;
        redirect.kind = emulator::Fault::Kind::Response;
        redirect.status = 302;
        redirect.location = "http://" + plain.HostPort() + "/premium/ipcheck.asp";
        service.SetFault(redirect);
    }
    settings.WriteText("updateserver", "https://" + service.HostPort());
    if (c.withCaFile)
        settings.WriteText("cafile", certificates.CaFile().string());

    const ServiceEndpoints endpoints(settings);
    const std::unique_ptr<HttpSession> session = http.Open(nullptr, endpoints.UpdateServerTrust());
    ASSERT_TRUE(session);
    const DomainExchange exchange = UpdateDomain(world.ports, *session, "com", "example", "secret1", "203.0.113.7");

    EXPECT_EQ(exchange.obtained, c.registered);
    EXPECT_EQ(exchange.failure, c.why);
    EXPECT_EQ(settings.ReadText("updatedip"), c.registered ? "203.0.113.7" : "");
    EXPECT_EQ(service.RegisteredAddress("example.com"), c.registered ? "203.0.113.7" : "");
    if (!c.certName) {
        EXPECT_EQ(service.Requests(), 0) << "a request went out in clear";
    }
    EXPECT_EQ(plain.Requests(), 0) << "a redirect went out in clear";
}

const TlsCase kCases[] = {
    {"Verified", "127.0.0.1", false, true, false, true, HttpFailure::None},
    {"CertificateForAnotherName", "update.example", false, true, false, false, HttpFailure::CertificateForAnotherName},
    {"UnknownIssuer", "127.0.0.1", true, true, false, false, HttpFailure::CertificateNotTrusted},
    {"PrivateAuthorityWithoutCaFile", "127.0.0.1", false, false, false, false, HttpFailure::CertificateNotTrusted},
    {"PlainServerNoFallback", nullptr, false, true, false, false, HttpFailure::SecureChannelFailed},
    {"RedirectToPlainHttp", "127.0.0.1", false, true, true, false, HttpFailure::RedirectRefused},
};

INSTANTIATE_TEST_SUITE_P(Tls, TlsExchangeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelto
