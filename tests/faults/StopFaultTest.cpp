#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

namespace zelto::faults {
namespace {

// Where the client is when the stop comes: in a stalled update request, in a stalled address check before
// it, or resting between passes after a registration.
enum class Stall { UpdateRequest, AddressCheck, Rest };

class StopFaultTest : public ::testing::TestWithParam<Stall> {
protected:
    StopFaultTest() {
        service.AddAccount({"example", "com", "secret12", false});
        SettingsFile settings(path);
        ConfigureOneDomain(settings, service.HostPort());
        settings.WriteInt("ipmethod", GetParam() == Stall::AddressCheck ? 2 : 0);
        emulator::Fault hold;
        hold.kind = GetParam() == Stall::Rest ? emulator::Fault::Kind::None : emulator::Fault::Kind::Delay;
        hold.delay = 30s;
        service.SetFault(hold);
    }

    // Waits for the stall, then stops; the stop must not wait for the server.
    void ExpectStopWithinASecond(const std::function<void()>& stop) {
        ASSERT_TRUE(WaitUntil(
            [&] {
                return GetParam() == Stall::Rest ? SettingsFile(path).ReadText("updatedip") == "127.0.0.1"
                                                 : service.Connections() > 0;
            },
            10s));
        std::this_thread::sleep_for(100ms);
        const auto asked = std::chrono::steady_clock::now();
        stop();
        const auto took = std::chrono::steady_clock::now() - asked;
        EXPECT_LT(took, 1s);
    }

    fakes::TempDir dir;
    std::filesystem::path path = dir.File("ZeltoPre.INI");
    emulator::ServiceEmulator service;
};

TEST_P(StopFaultTest, UpdateThreadStopsWithinASecond) {
    EngineRig rig(path, HttpTimeouts{}, CycleTiming{}); // the time-outs and pauses the client really uses
    rig.runner.Start();
    ExpectStopWithinASecond([&] { rig.runner.Stop(); });
    EXPECT_EQ(rig.settings.ReadText("updatedip"), GetParam() == Stall::Rest ? "127.0.0.1" : "");
}

TEST_P(StopFaultTest, HeadlessClientEndsWithinASecondOfSigterm) {
    Process client([&] {
        return ::execl(ZELTO_PREMIUM_EXE, ZELTO_PREMIUM_EXE, "--settings", path.c_str(), "--headless", nullptr);
    });
    ExpectStopWithinASecond([&] {
        client.Signal(SIGTERM);
        EXPECT_EQ(client.Wait(1s), 0);
    });
}

INSTANTIATE_TEST_SUITE_P(Stop, StopFaultTest, ::testing::Values(Stall::UpdateRequest, Stall::AddressCheck, Stall::Rest),
                         [](const auto& info) {
                             return std::string(info.param == Stall::Rest           ? "Resting"
                                                : info.param == Stall::AddressCheck ? "AddressCheckStalled"
                                                                                    : "UpdateRequestStalled");
                         });

} // namespace
} // namespace zelto::faults
