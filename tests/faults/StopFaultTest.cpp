#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <iostream>

namespace zelto::faults {
namespace {

// Where the client is when the stop comes.
enum class Stall { UpdateRequest, AddressCheck, Rest };

struct StopCase {
    const char* name;
    Stall stall;
};

const StopCase kCases[] = {
    {"UpdateRequestStalled", Stall::UpdateRequest},
    {"AddressCheckStalled", Stall::AddressCheck},
    {"Resting", Stall::Rest}, // between passes, after a registration
};

class StopFaultTest : public ::testing::TestWithParam<StopCase> {
protected:
    StopFaultTest() {
        service.AddAccount({"example", "com", "secret12", false});
        SettingsFile settings(path);
        ConfigureOneDomain(settings, service.HostPort());
        if (GetParam().stall == Stall::AddressCheck)
            settings.WriteInt("ipmethod", 2);
        emulator::Fault hold;
        hold.kind = emulator::Fault::Kind::Delay;
        hold.delay = 30s;
        if (GetParam().stall != Stall::Rest)
            service.SetFault(hold);
    }

    // True once the client is where the case wants it.
    bool Reached() const {
        if (GetParam().stall == Stall::Rest)
            return SettingsFile(path).ReadText("updatedip") == "127.0.0.1";
        return service.Connections() > 0;
    }

    // Waits for the stall, stops, and checks the time the stop took.
    void ExpectStopWithinASecond(const std::function<void()>& stop) {
        ASSERT_TRUE(WaitUntil([&] { return Reached(); }, 10s));
        std::this_thread::sleep_for(100ms);
        const auto asked = std::chrono::steady_clock::now();
        stop();
        const auto took = std::chrono::steady_clock::now() - asked;
        EXPECT_LT(took, 1s);
        std::cout << "[faults] stop, " << GetParam().name << ": "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
    }

    fakes::TempDir dir;
    std::filesystem::path path = dir.File("ZeltoPre.INI");
    emulator::ServiceEmulator service;
};

TEST_P(StopFaultTest, UpdateThreadStopsWithinASecond) {
    // The time-outs and pauses the client really uses: only the stop can end the wait in time.
    EngineRig rig(path, HttpTimeouts{}, CycleTiming{});
    rig.runner.Start();
    ExpectStopWithinASecond([&] { rig.runner.Stop(); });
    EXPECT_EQ(rig.settings.ReadText("updatedip"), GetParam().stall == Stall::Rest ? "127.0.0.1" : "");
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

INSTANTIATE_TEST_SUITE_P(Stop, StopFaultTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelto::faults
