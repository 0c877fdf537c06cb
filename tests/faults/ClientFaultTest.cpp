// The client under faults: the engine on real sockets and a real settings file while the server or the file
// goes wrong under it, and the real program stopped wherever it is.

#include "ServiceEmulator.h"
#include "fakes/ChildProcess.h"
#include "fakes/FakePorts.h"
#include "fakes/LoopbackPort.h"
#include "fakes/SeedDomains.h"
#include "fakes/TempDir.h"
#include "platform/linux/NullAutodialSetting.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "settings/SettingsFile.h"
#include "update/EnginePorts.h"
#include "update/UpdateCycle.h"
#include "update/UpdateCycleThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

namespace zelto::faults {
namespace {

using namespace std::chrono_literals;
using emulator::Fault;
namespace fs = std::filesystem;

// An hour further on at every look, so that every update record differs from the last; the looks are recorded.
struct SteppingClock : Clock {
    std::time_t Now() const override { return 1700000000 + 3600 * static_cast<std::time_t>(looks.Add(0)); }
    mutable fakes::Recorded<int> looks;
};

long Count(const std::vector<ExchangeOutcome>& outcomes, ExchangeOutcome outcome) {
    return std::ranges::count(outcomes, outcome);
}

// Asks `done` of the exchanges so far, and again after each new one until it holds (half a minute at most):
// never on a timer, and outside the notices' lock, so `done` may read the settings file.
bool WaitUntil(const fakes::FakeNotices& notices,
               const std::function<bool(const std::vector<ExchangeOutcome>&)>& done) {
    const auto end = std::chrono::steady_clock::now() + 30s;
    for (auto seen = notices.Outcomes(); !done(seen);) {
        const auto next = notices.WaitForOutcomes(seen.size() + 1);
        if (next.size() == seen.size() || std::chrono::steady_clock::now() > end)
            return false;
        seen = next;
    }
    return true;
}

// The engine as the headless client builds it; the address list is empty, so every pass is due.
struct EngineRig {
    explicit EngineRig(const std::filesystem::path& path)
        : settings(path), ports{settings, {http, autodial, addresses, clock, sound}, notices} {}
    SettingsFile settings;
    SocketHttpSessionFactory http{"zelto-fault-test", HttpTimeouts{1000ms, 300ms}};
    NullAutodialSetting autodial;
    fakes::FakeHostAddresses addresses;
    SteppingClock clock;
    fakes::FakeNotices notices;
    fakes::FakeSound sound;
    EnginePorts ports;
    UpdateCycle thread{ports, CycleTiming{2ms, 2ms}};
    UpdateCycleThread runner{thread};
};

void ConfigureOneDomain(SettingsFile& settings, const std::string& updateServer) {
    settings.WriteText("updateserver", updateServer);
    fakes::SeedDomains(settings, {{"example", "com", "secret12"}});
}

// "VmRSS" or "VmHWM" of this process, in KiB.
long StatusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ":"))
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

// A leaked session, buffer or connection per pass shows well above this after a hundred passes; a client
// that buffered the 10 MB line raises its peak above the second. AddressSanitizer's quarantine makes memory
// grow by design, so there its leak check stands in.
constexpr long kMaxGrowthKiB = 256, kMaxPeakRiseKiB = 8 * 1024;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCheckMemory = false;
#else
constexpr bool kCheckMemory = true;
#endif

// The engine against a server that sends 10 MB without a line feed, with the limits the real socket session
// sets (how each framing fault reads is HttpWireTest's, what each adapter does with a refused, closed, stalled or
// flooding server HttpSessionTest's): the thread survives, records and shows nothing, stays bounded, and
// registers at the next pass once the service is back.
TEST(ServerFaultTest, AnEndlessLineLeavesTheThreadAliveBoundedAndRetrying) {
    constexpr int kPasses = 100;
    fakes::TempDir dir;
    emulator::ServiceEmulator healthy, faulty;
    healthy.AddAccount({"example", "com", "secret12", false});
    faulty.SetFault({Fault::Kind::LongLine, 0ms, 200, "", "", 10 * 1024 * 1024});
    EngineRig rig(dir.File("ZeltoPre.INI"));
    ConfigureOneDomain(rig.settings, faulty.HostPort());
    const long peakBefore = StatusKiB("VmHWM");
    rig.runner.Start();

    ASSERT_GE(rig.notices.WaitForOutcomes(10).size(), 10u);
    const long warm = StatusKiB("VmRSS");
    ASSERT_GE(rig.notices.WaitForOutcomes(kPasses).size(), static_cast<std::size_t>(kPasses));
    const long end = StatusKiB("VmRSS");
    const std::vector<ExchangeOutcome> during = rig.notices.Outcomes();
    EXPECT_EQ(rig.settings.ReadText("updatedip"), "") << "a failed exchange recorded an address";
    EXPECT_EQ(Count(during, ExchangeOutcome::NoAnswer), std::ssize(during));
    EXPECT_EQ(rig.notices.Messages().size() + rig.notices.Tooltips().size(), 0u);
    if (kCheckMemory) {
        EXPECT_LT(end - warm, kMaxGrowthKiB) << "RSS grew from " << warm << " KiB to " << end << " KiB";
        EXPECT_LT(StatusKiB("VmHWM") - peakBefore, kMaxPeakRiseKiB);
    }

    rig.settings.WriteText("updateserver", healthy.HostPort());
    EXPECT_TRUE(WaitUntil(rig.notices, [](const auto& seen) { return Count(seen, ExchangeOutcome::Answered) > 0; }));
    EXPECT_EQ(rig.settings.ReadText("updatedip"), "127.0.0.1");
    rig.runner.Stop();
}

// The engine registering on every pass while its settings file is replaced by random bytes (a new file or
// overwritten in place) or cut to nothing: no domain is left, so the requests stop; given a good file again,
// the client registers on its next pass. Damage and repair are done under the file's lock, so that a record
// write of the client's, read before, cannot undo them.
TEST(SettingsFileFaultTest, ReplacedByGarbageOrTruncatedWhileTheClientRuns) {
    fakes::TempDir dir;
    const fs::path path = dir.File("ZeltoPre.INI"), other = dir.File("other");
    emulator::ServiceEmulator service;
    service.AddAccount({"example", "com", "secret12", false});
    EngineRig rig(path);
    ConfigureOneDomain(rig.settings, service.HostPort());
    rig.runner.Start();
    ASSERT_TRUE(WaitUntil(rig.notices, [](const auto& seen) { return Count(seen, ExchangeOutcome::Answered) >= 3; }));
    const auto locked = [&](const auto& change) {
        const SettingsFile::ChangeLock lock(rig.settings);
        change();
    };
    // Until the engine has read its clock `reads` more times: once at each decision and at each record written.
    const auto clockReads = [&](std::size_t reads) {
        const std::size_t until = rig.clock.looks.Get().size() + reads;
        return rig.clock.looks.WaitFor(until).size() >= until;
    };

    const std::string good = fakes::ReadFile(path);
    std::mt19937 random(5);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string garbage(round % 3 == 2 ? 0 : random() % 2048, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random());
        locked([&] {
            fakes::WriteFile(round % 3 == 0 ? other : path, garbage);
            if (round % 3 == 0)
                fs::rename(other, path);
        });
        // A pass already under way ends before the second look at the clock; the decisions after it find no
        // domain to send.
        ASSERT_TRUE(clockReads(2));
        const int requests = service.Requests();
        ASSERT_TRUE(clockReads(3));
        EXPECT_EQ(service.Requests(), requests) << "requests went on from a file without domains";
        locked([&] {
            fakes::WriteFile(other, good);
            fs::rename(other, path);
        });
        EXPECT_TRUE(WaitUntil(rig.notices,
                              [&](const auto&) { return SettingsFile(path).ReadText("updatedip") == "127.0.0.1"; }));
    }
    rig.runner.Stop();
    EXPECT_EQ(rig.notices.Messages().size(), 0u);
}

// Where the client is when SIGTERM comes: in a stalled address check, in a stalled update request after it,
// or resting between passes after a registration; --headless, or a one-shot pass, which says it was cut
// short. The real executable, with the time-outs and pauses it really uses, must end without the server: the
// stalling server never answers.
struct StopCase {
    const char* name;
    const char* stalledPage; // nullptr: resting
    const char* mode;
    int exitCode;
};
const StopCase kStopCases[] = {
    {"AddressCheckStalled", "/premium/ipcheck.asp", "--headless", 0},
    {"Resting", nullptr, "--headless", 0},
    {"OnceInAStalledRequest", "/premium/update.asp", "--once", 1},
};

class StopFaultTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopFaultTest, ClientEndsAtSigtermWithoutWaitingForTheServer) {
    const StopCase& c = GetParam();
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    emulator::ServiceEmulator service;
    service.AddAccount({"example", "com", "secret12", false});
    const fakes::LoopbackPort stalling(1);
    SettingsFile settings(path);
    ConfigureOneDomain(settings, c.stalledPage ? stalling.HostPort() : service.HostPort());
    settings.WriteInt("ipmethod", c.stalledPage && std::string_view(c.stalledPage).ends_with("ipcheck.asp") ? 2 : 0);
    fakes::ChildProcess client({ZELTO_PREMIUM_EXE, "--settings", path.string(), c.mode});
    int fd = -1; // the stalled request's, kept open until the client has ended
    if (c.stalledPage) {
        fd = fakes::Readable(stalling.Fd(), 30s) ? ::accept(stalling.Fd(), nullptr, nullptr) : -1;
        char request[4096] = {};
        ASSERT_TRUE(fd >= 0 && fakes::Readable(fd, 30s) && ::recv(fd, request, sizeof request - 1, 0) > 0);
        EXPECT_NE(std::string(request).find(c.stalledPage), std::string::npos) << request;
    } else {
        std::string log;
        for (int line = 0; line < 20 && !log.ends_with("-> ip127.0.0.1"); ++line)
            log.append("\n").append(client.Line()); // not "\n" + ...: a false -Wrestrict of g++ 12
        ASSERT_TRUE(log.ends_with("-> ip127.0.0.1")) << "no registration logged:" << log;
    }
    client.Terminate();
    EXPECT_EQ(client.Wait(10s), c.exitCode);
    ::close(fd);
    EXPECT_EQ(settings.ReadText("updatedip"), c.stalledPage ? "" : "127.0.0.1");
}

INSTANTIATE_TEST_SUITE_P(Stop, StopFaultTest, ::testing::ValuesIn(kStopCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelto::faults
