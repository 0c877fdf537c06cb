#include "FaultSupport.h"
#include "HostileServer.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <iostream>
#include <optional>

namespace zelto::faults {
namespace {

// RSS may grow this much between the warm-up and the end of a run of failing passes. A leaked session,
// answer buffer or connection per pass shows well above it after a hundred passes.
constexpr long kMaxGrowthKiB = 256;
// A client that buffered the 10 MB line would raise its peak by at least that.
constexpr long kMaxPeakRiseKiB = 8 * 1024;

struct ServerFault {
    const char* name;
    int passes;    // failing passes to watch; each is one exchange
    bool answered; // a body came back (to be ignored), as opposed to no answer at all
    std::function<void(emulator::Fault&)> emulatorFault = nullptr;
    std::optional<HostileServer::Mode> hostile = std::nullopt;
    bool refused = false;
};

emulator::Fault Respond(int status, std::string body, std::string location = {}) {
    emulator::Fault fault;
    fault.kind = emulator::Fault::Kind::Response;
    fault.status = status;
    fault.body = std::move(body);
    fault.location = std::move(location);
    return fault;
}

const ServerFault kFaults[] = {
    {"Refused", 150, false, nullptr, std::nullopt, true},
    {"ResetMidAnswer", 150, false, nullptr, HostileServer::Mode::ResetMidAnswer},
    {"GarbageInsteadOfHttp", 150, false, nullptr, HostileServer::Mode::Garbage},
    {"BinaryBody", 150, true, nullptr, HostileServer::Mode::BinaryBody},
    {"DripPastTheTimeout", 3, false, nullptr, HostileServer::Mode::Drip},
    {"StallPastTheTimeout", 3, false,
     [](emulator::Fault& f) {
         f.kind = emulator::Fault::Kind::Delay;
         f.delay = 5s;
     }},
    {"CloseWithoutAnswer", 150, false, [](emulator::Fault& f) { f.kind = emulator::Fault::Kind::CloseWithoutAnswer; }},
    {"TenMegabytesWithoutLineFeed", 40, false,
     [](emulator::Fault& f) {
         f.kind = emulator::Fault::Kind::LongLine;
         f.longLineBytes = 10 * 1024 * 1024;
     }},
    {"Status500", 150, true, [](emulator::Fault& f) { f = Respond(500, "Internal Server Error\n"); }},
    {"Status404", 150, true, [](emulator::Fault& f) { f = Respond(404, "<html><body>Not Found</body></html>\n"); }},
    {"RedirectLoop", 150, false, nullptr},
};

class ServerFaultTest : public ::testing::TestWithParam<ServerFault> {
protected:
    ServerFaultTest() {
        healthy.AddAccount({"example", "com", "secret12", false});
        faulty.AddAccount({"example", "com", "secret12", false});
    }

    // Where the failing server is; the redirect loop points the emulator back at itself.
    std::string FaultyServer(const ServerFault& c) {
        if (c.refused)
            return "127.0.0.1:" + std::to_string(RefusingPort());
        if (c.hostile) {
            hostile.emplace(*c.hostile);
            return hostile->HostPort();
        }
        emulator::Fault fault;
        if (c.emulatorFault)
            c.emulatorFault(fault);
        else
            fault = Respond(302, "", "http://" + faulty.HostPort() + "/premium/update.asp");
        faulty.SetFault(fault);
        return faulty.HostPort();
    }

    static emulator::Options ShortLived() {
        emulator::Options options;
        options.lifetime = 60s;
        return options;
    }

    fakes::TempDir dir;
    emulator::ServiceEmulator healthy{ShortLived()};
    emulator::ServiceEmulator faulty{ShortLived()};
    std::optional<HostileServer> hostile;
};

TEST_P(ServerFaultTest, ThreadSurvivesRecordsNothingStaysBoundedAndRetries) {
    const ServerFault& c = GetParam();
    EngineRig rig(dir.File("ZeltoPre.INI"));
    ConfigureOneDomain(rig.settings, FaultyServer(c));
    const long peakBefore = PeakResidentKiB();
    rig.runner.Start();

    const int warmUp = std::min(c.passes, 10);
    ASSERT_TRUE(WaitUntil([&] { return rig.notices.Now().exchanges >= warmUp; }, 20s));
    const long warm = ResidentKiB();
    ASSERT_TRUE(WaitUntil([&] { return rig.notices.Now().exchanges >= c.passes; }, 30s));
    const long end = ResidentKiB();
    const CountingNotices::Counts during = rig.notices.Now();

    EXPECT_EQ(rig.settings.ReadText("updatedip"), "") << "a failed exchange recorded an address";
    EXPECT_EQ(during.registered + during.recordFailed, 0);
    EXPECT_EQ(during.messages, 0);
    EXPECT_EQ(during.tooltips, 0);
    EXPECT_EQ(during.noAnswer, c.answered ? 0 : during.exchanges);
    if (kResidentMemoryIsMeaningful) {
        EXPECT_LT(end - warm, kMaxGrowthKiB) << "RSS grew from " << warm << " KiB to " << end << " KiB";
        EXPECT_LT(PeakResidentKiB() - peakBefore, kMaxPeakRiseKiB);
    }

    // The service comes back: the very next pass registers.
    rig.settings.WriteText("updateserver", healthy.HostPort());
    EXPECT_TRUE(WaitUntil([&] { return rig.notices.Now().registered >= 1; }, 5s));
    EXPECT_EQ(rig.settings.ReadText("updatedip"), "127.0.0.1");
    rig.runner.Stop();
    std::cout << "[faults] " << c.name << ": " << during.exchanges << " failing exchanges survived, RSS " << warm
              << " -> " << end << " KiB, peak +" << PeakResidentKiB() - peakBefore << " KiB\n";
}

INSTANTIATE_TEST_SUITE_P(Server, ServerFaultTest, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelto::faults
