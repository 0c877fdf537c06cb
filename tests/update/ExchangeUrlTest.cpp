// The URLs the client sends and the pages it points the user to.

#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateDomain.h"

#include <gtest/gtest.h>

namespace zelto {
namespace {

using fakes::FakeWorld;
using fakes::TempDir;

class ExchangeUrlTest : public ::testing::Test {
protected:
    // The URL UpdateDomain requested.
    std::string SentUrl(const std::string& first, const std::string& second, const std::string& password,
                        const std::string& address) {
        FakeWorld world(settings);
        auto session = world.http.Open();
        UpdateDomain(world.ports, *session, first, second, password, address);
        auto requests = world.http.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? std::string{} : requests.front();
    }

    TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
};

struct UrlCase {
    const char* name;
    const char* first;
    const char* second;
    const char* password;
    const char* address;
    const char* url;
};

void PrintTo(const UrlCase& c, std::ostream* out) {
    *out << c.name;
}

class UpdateUrlTest : public ExchangeUrlTest, public ::testing::WithParamInterface<UrlCase> {};

TEST_P(UpdateUrlTest, IsBuiltInOrder) {
    const UrlCase& c = GetParam();
    EXPECT_EQ(SentUrl(c.first, c.second, c.password, c.address), c.url);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, UpdateUrlTest,
    ::testing::Values(
        UrlCase{"NoAddress", "com", "example", "secret1", "",
                "http://dynamic.zelto.com/premium/update.asp?first=com&second=example&password=secret1"},
        UrlCase{"WithAddress", "com", "example", "secret1", "203.0.113.7",
                "http://dynamic.zelto.com/premium/update.asp?first=com&second=example&password=secret1"
                "&ip_address=203.0.113.7"},
        UrlCase{"UnreservedKept", "co.uk", "my-host_1", "Ab9.-_~", "",
                "http://dynamic.zelto.com/premium/update.asp?first=co.uk&second=my-host_1&password=Ab9.-_~"},
        // Inserted as is, these would end the value, start a fragment, or decode to something else.
        UrlCase{"ReservedEncoded", "com", "example", "p&s #%+", "",
                "http://dynamic.zelto.com/premium/update.asp?first=com&second=example&password=p%26s%20%23%25%2B"},
        UrlCase{"EqualsAndQuestionEncoded", "com", "a=b", "x?y", "",
                "http://dynamic.zelto.com/premium/update.asp?first=com&second=a%3Db&password=x%3Fy"},
        UrlCase{"NonAsciiEncoded", "com", "caf\xE9", "s\xC3\xA9", "",
                "http://dynamic.zelto.com/premium/update.asp?first=com&second=caf%E9&password=s%C3%A9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExchangeUrlTest, UpdateServerSettingIsReadAtEachUse) {
    EXPECT_EQ(SentUrl("com", "example", "secret1", ""),
              "http://dynamic.zelto.com/premium/update.asp?first=com&second=example&password=secret1");
    settings.WriteText("updateserver", "127.0.0.1:8080");
    EXPECT_EQ(SentUrl("com", "example", "secret1", ""),
              "http://127.0.0.1:8080/premium/update.asp?first=com&second=example&password=secret1");
    settings.WriteText("updateserver", "");
    EXPECT_EQ(SentUrl("com", "example", "secret1", "").substr(0, 25), "http://dynamic.zelto.com/");
}

TEST_F(ExchangeUrlTest, OtherPagesFollowTheirSettings) {
    ServiceEndpoints endpoints(settings);
    EXPECT_EQ(endpoints.InitializeUrl("com", "example", "a b"),
              "http://dynamic.zelto.com/premium/initialize.asp?first=com&second=example&password=a%20b");
    EXPECT_EQ(endpoints.IpCheckUrl(), "http://dynamic.zelto.com/premium/ipcheck.asp");
    EXPECT_EQ(endpoints.WebInterfacePage(), "https://www.zelto.com/premium/manage_dns.asp");
    EXPECT_EQ(endpoints.HomePage(), "http://www.zelto.com");
    EXPECT_EQ(endpoints.RegistrationPage(), "http://www.zelto.com/register.htm");

    settings.WriteText("updateserver", "127.0.0.1:9000");
    settings.WriteText("website", "127.0.0.1:9001");
    EXPECT_EQ(endpoints.IpCheckUrl(), "http://127.0.0.1:9000/premium/ipcheck.asp");
    EXPECT_EQ(endpoints.WebInterfacePage(), "https://127.0.0.1:9001/premium/manage_dns.asp");
    EXPECT_EQ(endpoints.HomePage(), "http://127.0.0.1:9001");
    EXPECT_EQ(endpoints.RegistrationPage(), "http://127.0.0.1:9001/register.htm");
}

TEST(MaskPasswordTest, HidesOnlyThePasswordValue) {
    struct Case {
        const char* url;
        const char* masked;
    };
    const Case cases[] = {
        {"http://h/premium/update.asp?first=com&second=ex&password=secret1",
         "http://h/premium/update.asp?first=com&second=ex&password=***"},
        {"http://h/premium/update.asp?first=com&second=ex&password=se%26cr&ip_address=1.2.3.4",
         "http://h/premium/update.asp?first=com&second=ex&password=***&ip_address=1.2.3.4"},
        {"http://h/p?password=x", "http://h/p?password=***"},
        {"http://h/p?password=", "http://h/p?password=***"},
        {"http://h/p?mypassword=x&second=password=y", "http://h/p?mypassword=x&second=password=y"},
        {"http://h/premium/ipcheck.asp", "http://h/premium/ipcheck.asp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MaskPassword(c.url), c.masked) << c.url;
}

} // namespace
} // namespace zelto
