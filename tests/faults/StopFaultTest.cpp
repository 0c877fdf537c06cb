#include "FaultSupport.h"
#include "HostileServer.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <iostream>
#include <optional>

namespace zelto::faults {
namespace {

// Where the client is when the stop comes.
enum class Stall {
    UpdateRequest, // the service holds the update answer
    AddressCheck,  // the service holds the address check that precedes it
    Drip,          // the answer trickles in a byte at a time, never a line
    Rest,          // between passes, after a registration
};

struct StopCase {
    const char* name;
    Stall stall;
};

const StopCase kCases[] = {
    {"UpdateRequestStalled", Stall::UpdateRequest},
    {"AddressCheckStalled", Stall::AddressCheck},
    {"AnswerDripping", Stall::Drip},
    {"Resting", Stall::Rest},
};

class StopFaultTest : public ::testing::TestWithParam<StopCase> {
protected:
    StopFaultTest() { service.AddAccount({"example", "com", "secret12", false}); }

    // Sets the stall up and returns the server the settings must name.
    std::string Arrange(SettingsFile& settings) {
        emulator::Fault hold;
        hold.kind = emulator::Fault::Kind::Delay;
        hold.delay = 30s;
        switch (GetParam().stall) {
        case Stall::AddressCheck:
            settings.WriteInt("ipmethod", 2);
            [[fallthrough]];
        case Stall::UpdateRequest:
            service.SetFault(hold);
            break;
        case Stall::Drip:
            drip.emplace(HostileServer::Mode::Drip);
            return drip->HostPort();
        case Stall::Rest:
            break;
        }
        return service.HostPort();
    }

    // True once the client is where the case wants it.
    bool Reached(const SettingsFile& settings) const {
        if (GetParam().stall == Stall::Rest)
            return settings.ReadText("updatedip") == "127.0.0.1";
        return (drip ? drip->Connections() : service.Connections()) > 0;
    }

    static emulator::Options ShortLived() {
        emulator::Options options;
        options.lifetime = 30s;
        return options;
    }

    fakes::TempDir dir;
    emulator::ServiceEmulator service{ShortLived()};
    std::optional<HostileServer> drip;
};

TEST_P(StopFaultTest, UpdateThreadStopsWithinASecond) {
    // The time-outs and pauses the client really uses: only the stop can end the wait in time.
    EngineRig rig(dir.File("ZeltoPre.INI"), HttpTimeouts{}, CycleTiming{});
    ConfigureOneDomain(rig.settings, Arrange(rig.settings));
    rig.runner.Start();
    ASSERT_TRUE(WaitUntil([&] { return Reached(rig.settings); }, 10s));
    std::this_thread::sleep_for(100ms);

    const auto asked = std::chrono::steady_clock::now();
    rig.runner.Stop();
    const auto took = std::chrono::steady_clock::now() - asked;
    EXPECT_LT(took, 1s);
    if (GetParam().stall != Stall::Rest) {
        EXPECT_EQ(rig.settings.ReadText("updatedip"), "");
    }
    std::cout << "[faults] stop, " << GetParam().name << ": "
              << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
}

TEST_P(StopFaultTest, HeadlessClientEndsWithinASecondOfSigterm) {
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    {
        SettingsFile settings(path);
        ConfigureOneDomain(settings, Arrange(settings));
    }
    Client client({"--settings", path.string(), "--headless"});
    const SettingsFile settings(path);
    ASSERT_TRUE(WaitUntil([&] { return Reached(settings); }, 10s));
    std::this_thread::sleep_for(100ms);

    const auto signalled = std::chrono::steady_clock::now();
    client.Signal(SIGTERM);
    EXPECT_EQ(client.Wait(1s), 0);
    const auto took = std::chrono::steady_clock::now() - signalled;
    EXPECT_LT(took, 1s);
    std::cout << "[faults] SIGTERM, " << GetParam().name << ": "
              << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
}

INSTANTIATE_TEST_SUITE_P(Stop, StopFaultTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelto::faults
