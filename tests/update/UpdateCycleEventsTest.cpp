// The update cycle hearing the system for real, against the service emulator: an address changed in a
// network namespace of the test's own, and a resume announced by a stand-in for logind on a private bus. The
// cycle polls once a minute here, so an update well within that came from the event.

#include "update/UpdateCycle.h"

#include "EngineFixture.h"
#include "ServiceEmulator.h"
#include "fakes/ChildProcess.h"
#include "platform/linux/InterfaceAddresses.h"
#include "platform/linux/LinuxSystemEvents.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "schema/ClientSettings.h"
#include "settings/InChild.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <sched.h>
#include <unistd.h>

namespace zelto::enginetest {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const CycleTiming kSlowPoll{60000ms, 0ms};
// Far below the poll, and far above what an idle machine needs (a second at most): a busy one still passes.
constexpr auto kEventLimit = 20s;

bool Await(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition() && Clock::now() < end)
        std::this_thread::sleep_for(10ms);
    return condition();
}

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
        InterfaceAddresses addresses;
        LinuxSystemEvents events;
        EnginePorts real{
            settings, {http, world.autodial, addresses, world.clock, world.sound, nullptr, &events}, world.notices};
        UpdateCycle cycle(real, kSlowPoll);
        std::thread runner([&] { cycle.RunUpdateCycle(); });
        const auto result = body();
        cycle.RequestStop();
        runner.join();
        return result;
    }
};

TEST_F(CycleEventsTest, AnAddressChangeIsRegisteredWithoutWaitingForThePoll) {
    // Exit codes of the child: 0 registered in time, 2 no namespace, 3 no setup, 4 first registration, 5 the
    // change registered late or never.
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
            if (!Await([&] { return service.RegisteredAddress("example.com") == "198.51.100.1"; }, 30s))
                return 4;
            const auto changed = Clock::now();
            if (std::system("ip addr add 203.0.113.9/24 dev z0 && ip addr del 198.51.100.1/24 dev z0") != 0)
                return 3;
            const bool registered =
                Await([&] { return service.RegisteredAddress("example.com") == "203.0.113.9"; }, kEventLimit);
            std::fprintf(stderr, "address change registered after %lld ms\n",
                         static_cast<long long>((Clock::now() - changed) / 1ms));
            return registered ? 0 : 5;
        });
    });
    if (result == 2)
        GTEST_SKIP() << "no network namespace of our own (needs root)";
    EXPECT_EQ(result, 0);
}

TEST_F(CycleEventsTest, AResumeFromLogindEndsTheWaitAfterFailures) {
    if (::access("/usr/bin/dbus-daemon", X_OK) != 0 || std::system("/usr/bin/python3 -c 'import gi' 2>/dev/null") != 0)
        GTEST_SKIP() << "dbus-daemon and python3-gi are needed (scripts/install-deps)";
    const std::string socket = dir.File("system_bus").string();
    std::ofstream(dir.File("bus.conf")) << "<busconfig><listen>unix:path=" << socket << "</listen><auth>EXTERNAL</auth>"
                                        << "<policy context='default'><allow send_destination='*'/><allow "
                                           "eavesdrop='true'/><allow own='*'/></policy></busconfig>\n";
    const fakes::ChildProcess bus(
        {"/usr/bin/dbus-daemon", "--nofork", "--config-file=" + dir.File("bus.conf").string()});
    ASSERT_TRUE(Await([&] { return ::access(socket.c_str(), F_OK) == 0; }, 10s)) << "no private bus";
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket).c_str(), 1);
    fakes::ChildProcess logind({"/usr/bin/python3", ZELTO_LOGIND_STANDIN});
    ASSERT_EQ(logind.Line(), "ready");

    emulator::ServiceEmulator service{emulator::Options{0, 90s, "203.0.113.7", false}};
    UseService(service);
    service.SetFault({.kind = emulator::Fault::Kind::Response, .delay = {}, .status = 500, .body = "", .location = {}});
    const bool resumed = WithCycle([&] {
        if (!Await([&] { return !settings.ReadText("retryafter").empty(); }, 30s))
            return false;
        service.SetFault({});
        const auto announced = Clock::now();
        if (!logind.Send("resume\n") || logind.Line() != "resumed")
            return false;
        const bool registered =
            Await([&] { return service.RegisteredAddress("example.com") == "203.0.113.7"; }, kEventLimit);
        std::fprintf(stderr, "resume to the next request: %lld ms\n",
                     static_cast<long long>((Clock::now() - announced) / 1ms));
        return registered;
    });
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    EXPECT_TRUE(resumed);
}

} // namespace
} // namespace zelto::enginetest
