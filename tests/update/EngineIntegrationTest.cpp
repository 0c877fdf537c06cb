#include "update/UpdateThread.h"

#include "EngineFixture.h"
#include "ServiceEmulator.h"
#include "platform/linux/CurlHttpSession.h"
#include "platform/linux/NullAutodialSetting.h"
#include "platform/linux/SystemClock.h"

#include <thread>

namespace zelto::enginetest {
namespace {

using namespace std::chrono_literals;

// The engine with the real libcurl adapter against the service emulator on 127.0.0.1.
class EngineIntegrationTest : public ::testing::Test {
protected:
    EngineIntegrationTest() {
        emulator.AddAccount({"example", "com", "secret12", false});
        settings.WriteText("updateserver", emulator.HostPort());
        settings.WriteText(IndexedKey("first_level", 1), "com");
        settings.WriteText(IndexedKey("second_level", 1), "example");
        settings.WriteText(IndexedKey("password", 1), "secret12");
        settings.WriteInt("numofdomains", 1);
        addresses.addresses = {"127.0.0.1", "192.168.1.5", "203.0.113.7"};
    }

    static emulator::Options ShortLived() {
        emulator::Options options;
        options.lifetime = 30s;
        return options;
    }

    emulator::ServiceEmulator emulator{ShortLived()};
    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    CurlHttpSessionFactory http{"zelto-engine-test", {2000ms, 5000ms}};
    NullAutodialSetting autodial;
    fakes::FakeHostAddresses addresses;
    SystemClock clock;
    fakes::FakeNotices notices;
    fakes::FakeSound sound;
    EnginePorts ports{settings, http, autodial, addresses, clock, notices, sound};
};

TEST_F(EngineIntegrationTest, CycleRegistersTheDetectedAddress) {
    settings.WriteInt("ipmethod", 2);
    emulator.SetIpCheckAddress("192.168.1.5");
    StopSignal end;
    fakes::FakeSleeper sleeper(&end, 1);
    CUpdateThread thread(ports, {}, &sleeper);
    thread.RunUpdateCycle();

    EXPECT_EQ(emulator.RegisteredAddress("example.com"), "192.168.1.5");
    EXPECT_EQ(settings.ReadText("updatedip"), "192.168.1.5");
    EXPECT_EQ(notices.Tooltips(), (std::vector<std::string>{"Zelto Premium Online! IP Address->192.168.1.5"}));
    EXPECT_TRUE(notices.Messages().empty());
}

TEST_F(EngineIntegrationTest, StopCancelsARequestTheServiceStallsOn) {
    emulator::Fault stall;
    stall.kind = emulator::Fault::Kind::Delay;
    stall.delay = 20s;
    emulator.SetFault(stall);
    CUpdateThread thread(ports);
    UpdateThreadRunner runner(thread);
    runner.Start();
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (emulator.Connections() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_GT(emulator.Connections(), 0);
    std::this_thread::sleep_for(100ms);

    const auto asked = std::chrono::steady_clock::now();
    runner.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s);
    EXPECT_EQ(emulator.RegisteredAddress("example.com"), "");
}

} // namespace
} // namespace zelto::enginetest
