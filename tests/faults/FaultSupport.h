#pragma once

// What the fault cases share: the engine on real sockets and a real settings file.

#include "fakes/FakePorts.h"
#include "fakes/LoopbackPort.h"
#include "fakes/SeedDomains.h"
#include "platform/linux/NullAutodialSetting.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "settings/SettingsFile.h"
#include "update/EnginePorts.h"
#include "update/UpdateCycle.h"
#include "update/UpdateCycleThread.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelto::faults {

using namespace std::chrono_literals;

// An hour further on at every look, so that every update record differs from the last; the looks are recorded.
struct SteppingClock : Clock {
    std::time_t Now() const override { return 1700000000 + 3600 * static_cast<std::time_t>(looks.Add(0)); }
    mutable fakes::Recorded<int> looks;
};

inline long Count(const std::vector<ExchangeOutcome>& outcomes, ExchangeOutcome outcome) {
    return std::ranges::count(outcomes, outcome);
}

// Asks `done` of the exchanges so far, and again after each new one until it holds (half a minute at most):
// never on a timer, and outside the notices' lock, so `done` may read the settings file.
inline bool WaitUntil(const fakes::FakeNotices& notices,
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

inline void ConfigureOneDomain(SettingsFile& settings, const std::string& updateServer) {
    settings.WriteText("updateserver", updateServer);
    fakes::SeedDomains(settings, {{"example", "com", "secret12"}});
}

// "VmRSS" or "VmHWM" of this process, in KiB.
inline long StatusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ":"))
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

inline bool Ready(int fd, std::chrono::milliseconds timeout) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(timeout.count())) == 1;
}

} // namespace zelto::faults
