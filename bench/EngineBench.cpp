// The update engine's two hot paths: the decision taken every 10 s, and a full pass over a large domain list.

#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"
#include "update/UpdateCycle.h"
#include "update/UpdateDecision.h"

#include "ServiceEmulator.h"
#include "platform/SilentSoundPlayer.h"
#include "platform/linux/NullAutodialSetting.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/http/SocketHttpSession.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

namespace zelto {
namespace {

constexpr int kDomains = 999;

std::string HostLabel(int number) {
    char label[16];
    std::snprintf(label, sizeof label, "host%03d", number);
    return label;
}

// Written as one file, as the Windows program would leave it: three thousand synced writes of the store
// would cost half a minute on a busy disk before anything is measured.
void WriteDomains(SettingsFile& settings) {
    using Keys = SettingsKeys;
    std::string text = "[" + std::string(SettingsFile::kSection) + "]\r\n";
    for (int n = 1; n <= kDomains; ++n) {
        for (const auto& [key, value] :
             {std::pair{Keys::kDomain, HostLabel(n)}, std::pair{Keys::kTopLevel, std::string("com")},
              std::pair{Keys::kPassword, std::string("secret12")}})
            text += std::string(key) + std::to_string(n) + "=" + value + "\r\n";
    }
    text += std::string(Keys::kDomainCount) + "=" + std::to_string(kDomains) + "\r\n";
    fakes::WriteFile(settings.Path(), text);
}

// 999 domains and 50 ignore entries in the file, 8 machine addresses, the record current: every decision
// goes the whole way (record, address list, ignore list, comparison) and answers 0.
void BM_IsUpdateDue(benchmark::State& state) {
    setenv("TZ", "UTC", 1);
    tzset();
    fakes::TempDir dir;
    SettingsFile settings(dir.File("ZeltoPre.INI"));
    WriteDomains(settings);
    for (int n = 1; n <= 50; ++n)
        ClientSettings(settings).AppendIgnoredAddress("198.18.0." + std::to_string(n));
    fakes::FakeWorld world(settings);
    world.addresses.addresses = {"127.0.0.1",   "10.0.0.2",     "172.17.0.1",  "192.168.1.5",
                                 "169.254.3.4", "198.51.100.1", "198.18.0.50", "203.0.113.7"};
    world.clock.now = fakes::FakeClock::At(2025, 3, 14, 10, 30, 0);
    ClientSettings(settings).WriteUpdateRecord({"203.0.113.7", {"10", "073", "2025"}, std::nullopt});
    if (IsUpdateDue(world.ports))
        throw std::logic_error("the record should be current");
    for (auto _ : state)
        benchmark::DoNotOptimize(IsUpdateDue(world.ports));
}
BENCHMARK(BM_IsUpdateDue)->Unit(benchmark::kMicrosecond);

// One pass (RunOnce) over 999 domains against the emulator with the libcurl adapter.
void BM_FullPass(benchmark::State& state) {
    using namespace std::chrono_literals;
    emulator::Options options;
    options.lifetime = 300s;
    emulator::ServiceEmulator service(options);
    for (int n = 1; n <= kDomains; ++n)
        service.AddAccount({HostLabel(n), "com", "secret12", false});
    fakes::TempDir dir;
    SettingsFile settings(dir.File("ZeltoPre.INI"));
    WriteDomains(settings);
    ClientSettings(settings).WriteUpdateServer(service.HostPort());
    SocketHttpSessionFactory http("zelto-bench", {2000ms, 5000ms});
    NullAutodialSetting autodial;
    fakes::FakeHostAddresses addresses;
    SystemClock clock;
    fakes::FakeNotices notices;
    SilentSoundPlayer sound;
    EnginePorts ports{settings, {http, autodial, addresses, clock, sound}, notices};

    int passes = 0;
    const int connectionsBefore = service.Connections();
    for (auto _ : state) {
        const PassReport report = UpdateCycle(ports).RunOnce();
        if (report.registered != kDomains)
            state.SkipWithError("not every domain was registered");
        ++passes;
    }
    state.counters["connections_per_pass"] =
        static_cast<double>(service.Connections() - connectionsBefore) / std::max(passes, 1);
    state.counters["requests_per_pass"] = static_cast<double>(service.Requests()) / std::max(passes, 1);
}
BENCHMARK(BM_FullPass)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
} // namespace zelto

BENCHMARK_MAIN();
