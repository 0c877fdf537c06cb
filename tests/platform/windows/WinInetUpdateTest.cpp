// One update pass through the Windows adapters: WinINet to the emulator on 127.0.0.1 with the dial-up guard
// on the prefix's registry, as the console and desktop programs run it.

#include "AutodialRegistry.h"
#include "BackgroundCall.h"
#include "TestServers.h"
#include "fakes/FakePorts.h"
#include "fakes/SeedDomains.h"
#include "fakes/TempDir.h"
#include "platform/windows/RegistryAutodialSetting.h"
#include "platform/windows/WinInetHttpSession.h"
#include "settings/SettingsFile.h"
#include "update/EnginePorts.h"
#include "update/UpdateCycle.h"

#include <gtest/gtest.h>

#include <chrono>

namespace zelto::wintest {
namespace {

using namespace std::chrono_literals;

// The WinINet session, noting the autodial value each request ran with.
class WatchedHttp : public HttpSessionFactory {
public:
    struct Session : HttpSession {
        Session(std::unique_ptr<HttpSession> inner, WatchedHttp& owner) : inner(std::move(inner)), owner(owner) {}
        HttpFetch Get(const std::string& url) override {
            owner.seen.Add(AutodialRegistry::Get());
            return inner->Get(url);
        }
        std::unique_ptr<HttpSession> inner;
        WatchedHttp& owner;
    };

    std::unique_ptr<HttpSession> Open(const StopSignal* stop, const HttpTrust& trust) override {
        auto inner = winInet.Open(stop, trust);
        return inner ? std::make_unique<Session>(std::move(inner), *this) : nullptr;
    }

    WinInetHttpSessionFactory winInet{"zelto-premium-tests", HttpTimeouts{2s, 20s}};
    fakes::Recorded<std::optional<RegistryValue>> seen;
};

class WinInetUpdateTest : public ::testing::Test {
protected:
    WinInetUpdateTest() {
        AutodialRegistry::Set(AutodialRegistry::Dword(1));
        fakes::SeedDomains(settings, {{"example", "com", "secret12"}});
        settings.WriteInt("ipmethod", 3);
        for (const auto& [key, octet] : {std::pair{"one", 203}, {"two", 0}, {"three", 113}, {"four", 7}})
            settings.WriteInt(key, octet);
    }

    const AutodialRegistry registry;
    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld world{settings};
    WatchedHttp http;
    RegistryAutodialSetting autodial;
    EnginePorts ports{settings, {http, autodial, world.addresses, world.clock, world.sound}, world.notices};
};

TEST_F(WinInetUpdateTest, PassRegistersWithTheServiceWithAutodialOffDuringTheRequest) {
    settings.WriteText("updateserver", TestServer("ZELTO_TEST_EMULATOR"));
    const PassReport report = UpdateCycle(ports).RunOnce();
    EXPECT_EQ(report.registered, 1);
    EXPECT_EQ(settings.ReadText("updatedip"), "203.0.113.7");
    EXPECT_EQ(http.seen.Get(), (std::vector<std::optional<RegistryValue>>{AutodialRegistry::Dword(0)}));
    EXPECT_EQ(AutodialRegistry::Get(), AutodialRegistry::Dword(1));
}

TEST_F(WinInetUpdateTest, AutodialIsRestoredWhenTheRequestFailsOrIsStopped) {
    settings.WriteText("updateserver", "127.0.0.1:1");
    EXPECT_EQ(UpdateCycle(ports).RunOnce().failed, 1);
    EXPECT_EQ(AutodialRegistry::Get(), AutodialRegistry::Dword(1));

    settings.WriteText("updateserver", TestServer("ZELTO_TEST_STALLED_EMULATOR"));
    UpdateCycle thread(ports);
    BackgroundCall<PassReport> pass([&] { return thread.RunOnce(); });
    ASSERT_FALSE(pass.EndsWithin(500ms));
    EXPECT_EQ(AutodialRegistry::Get(), AutodialRegistry::Dword(0));
    thread.RequestStop();
    ASSERT_TRUE(pass.EndsWithin(1s));
    EXPECT_EQ(AutodialRegistry::Get(), AutodialRegistry::Dword(1));
}

} // namespace
} // namespace zelto::wintest
