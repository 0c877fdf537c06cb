// The cycle hearing the system for real. Its clock stands still and it polls hourly: a later update is the event's.

#include "update/UpdateCycle.h"

#include "EngineFixture.h"
#include "ServiceEmulator.h"
#include "fakes/ChildProcess.h"
#include "platform/linux/InterfaceAddresses.h"
#include "platform/linux/LinuxSystemEvents.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "schema/ClientSettings.h"
#include "settings/InChild.h"

#include <cstdlib>
#include <fstream>
#include <thread>

#include <sched.h>
#include <unistd.h>

namespace zelto::enginetest {
namespace {

using namespace std::chrono_literals;

class CycleEventsTest : public EngineTest {
protected:
    void UseService(emulator::ServiceEmulator& service) {
        service.AddAccount({"example", "com", "secret12", false});
        settings.WriteText("updateserver", service.HostPort());
        AddDomains({"example"});
    }

    // Runs the cycle on the real events, HTTP and addresses until `body` returns.
    template <class Body> auto WithCycle(Body body) {
        SocketHttpSessionFactory http{"zelto-tests", HttpTimeouts{2000ms, 5000ms}};
        LinuxSystemEvents events;
        EnginePorts real{
            settings, {http, world.autodial, addresses, world.clock, world.sound, nullptr, &events}, world.notices};
        UpdateCycle cycle(real, {1h, 0ms});
        std::thread runner([&] { cycle.RunUpdateCycle(); });
        const auto result = body();
        cycle.RequestStop();
        runner.join();
        return result;
    }

    InterfaceAddresses addresses;
    // The address the n-th registration showed in the tooltip, once there (30 s at most).
    std::string Registered(std::size_t n) {
        const std::vector<std::string> told = world.notices.WaitForTooltips(n);
        return told.size() < n ? "" : told[n - 1].substr(told[n - 1].find("->") + 2);
    }
};

TEST_F(CycleEventsTest, AnAddressChangeIsRegisteredWithoutWaitingForThePoll) {
    // The child's exit: 0 registered, 2 no namespace, 3 no setup, 4 no first registration, 5 none after.
    const int result = testing::InChild([&] {
        if (::unshare(CLONE_NEWNET) != 0)
            return 2;
        if (std::system(
                "ip link set lo up && ip link add z0 type veth peer name z1 && ip addr add 198.51.100.1/24 dev z0 && "
                "ip link set z0 up && ip link set z1 up") != 0)
            return 3;
        emulator::ServiceEmulator service{emulator::Options{0, 90s, {}, false}};
        UseService(service);
        settings.WriteInt("ipmethod", static_cast<int>(AddressMethod::Client));
        return WithCycle([&] {
            if (Registered(1) != "198.51.100.1")
                return 4;
            if (std::system("ip addr add 203.0.113.9/24 dev z0 && ip addr del 198.51.100.1/24 dev z0") != 0)
                return 3;
            return Registered(2) == "203.0.113.9" && service.RegisteredAddress("example.com") == "203.0.113.9" ? 0 : 5;
        });
    });
    if (result == 2)
        GTEST_SKIP() << "no network namespace of our own (needs root)";
    EXPECT_EQ(result, 0);
}

TEST_F(CycleEventsTest, AResumeFromLogindEndsTheWaitAfterFailures) {
    if (::access("/usr/bin/dbus-daemon", X_OK) != 0 || std::system("/usr/bin/python3 -c 'import gi' 2>/dev/null") != 0)
        GTEST_SKIP() << "dbus-daemon and python3-gi are needed (scripts/install-deps)";
    std::ofstream(dir.File("bus.conf")) << "<busconfig><listen>unix:path=" << dir.File("system_bus").string()
                                        << "</listen><auth>EXTERNAL</auth><policy context='default'><allow "
                                           "send_destination='*'/><allow eavesdrop='true'/><allow own='*'/>"
                                           "</policy></busconfig>\n";
    // It prints its address once it listens.
    fakes::ChildProcess bus(
        {"/usr/bin/dbus-daemon", "--nofork", "--print-address", "--config-file=" + dir.File("bus.conf").string()});
    const std::string address = bus.Line();
    ASSERT_FALSE(address.empty()) << "no private bus";
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
    fakes::ChildProcess logind({"/usr/bin/python3", ZELTO_LOGIND_STANDIN});
    ASSERT_EQ(logind.Line(), "ready");

    emulator::ServiceEmulator service{emulator::Options{0, 90s, "203.0.113.7", false}};
    UseService(service);
    service.SetFault({.kind = emulator::Fault::Kind::Response, .delay = {}, .status = 500, .body = "", .location = {}});
    const bool resumed = WithCycle([&] {
        if (world.notices.WaitForOutcomes(1).empty())
            return false;
        service.SetFault({});
        return logind.Send("resume\n") && logind.Line() == "resumed" && Registered(1) == "203.0.113.7";
    });
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    EXPECT_TRUE(resumed);
    EXPECT_EQ(service.RegisteredAddress("example.com"), "203.0.113.7");
}

} // namespace
} // namespace zelto::enginetest
