// The service's real addresses: every other test points the client at the emulator, so a slip in a default
// host or path would pass them all.
#include "update/ServiceEndpoints.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <functional>

namespace zelto {
namespace {

TEST(ServiceEndpointsTest, AnEmptySettingsFileMeansTheRealService) {
    const fakes::TempDir dir;
    const SettingsFile settings(dir.File("ZeltoPre.INI"));
    const ServiceEndpoints endpoints(settings);
    const struct {
        const char* page;
        std::function<std::string()> url;
        const char* expected;
    } cases[] = {
        {"update", [&] { return endpoints.UpdateUrl("com", "example", "secret1", "203.0.113.7"); },
         "http://dynamic.zelto.com/premium/"
         "update.asp?first=com&second=example&password=secret1&ip_address=203.0.113.7"},
        {"address check", [&] { return endpoints.IpCheckUrl(); }, "http://dynamic.zelto.com/premium/ipcheck.asp"},
        {"initialise", [&] { return endpoints.InitializeUrl("com", "example", "secret1"); },
         "http://dynamic.zelto.com/premium/initialize.asp?first=com&second=example&password=secret1"},
        {"web interface", [&] { return endpoints.WebInterfacePage(); }, "https://www.zelto.com/premium/manage_dns.asp"},
        {"home page", [&] { return endpoints.HomePage(); }, "http://www.zelto.com"},
        {"register page", [&] { return endpoints.RegistrationPage(); }, "http://www.zelto.com/register.htm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.url(), c.expected) << c.page;
    EXPECT_FALSE(std::filesystem::exists(dir.File("ZeltoPre.INI"))) << "reading the hosts wrote the file";
}

} // namespace
} // namespace zelto
