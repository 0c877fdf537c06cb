// The update thread over the Linux HTTP session against the service emulator in this process. The Windows
// build runs its own over WinINet (tests/platform/windows).

#include "update/UpdateCycle.h"

#include "EngineFixture.h"
#include "ServiceEmulator.h"
#include "platform/linux/http/SocketHttpSession.h"

namespace zelto::enginetest {
namespace {

using namespace std::chrono_literals;

TEST_F(EngineTest, CycleRegistersTheCheckedAddressWithTheService) {
    emulator::ServiceEmulator service{emulator::Options{0, 30s, "192.168.1.5", false}};
    service.AddAccount({"example", "com", "secret12", false});
    settings.WriteText("updateserver", service.HostPort());
    settings.WriteInt("ipmethod", 2);
    settings.WriteText("first_level1", "com");
    settings.WriteText("second_level1", "example");
    settings.WriteText("password1", "secret12");
    settings.WriteInt("numofdomains", 1);
    world.addresses.addresses = {"127.0.0.1", "192.168.1.5", "203.0.113.7"};
    SocketHttpSessionFactory http{"zelto-tests", HttpTimeouts{2000ms, 5000ms}};
    EnginePorts real{settings, {http, world.autodial, world.addresses, world.clock, world.sound}, world.notices};
    StopSignal end;
    fakes::FakeSleeper sleeper(&end, 1);
    UpdateCycle(real, {}, &sleeper).RunUpdateCycle();
    EXPECT_EQ(service.RegisteredAddress("example.com"), "192.168.1.5");
    EXPECT_EQ(settings.ReadText("updatedip"), "192.168.1.5");
}

} // namespace
} // namespace zelto::enginetest
