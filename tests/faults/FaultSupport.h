#pragma once

// What the fault cases share: the engine on real sockets and a real settings file, a raw server and a read-only
// mount.

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
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/mount.h>
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

// Sends `answer` on every connection to 127.0.0.1, ends its side and lets the client close its own (ten
// seconds at most) before it closes, so nothing unread is lost to a reset; stops by itself after a minute.
class RawServer {
public:
    explicit RawServer(std::string answer) : answer_(std::move(answer)) {}
    ~RawServer() {
        ::shutdown(port_.Fd(), SHUT_RDWR); // wakes the accept
        thread_.join();
    }
    std::string HostPort() const { return port_.HostPort(); }

private:
    void Serve() {
        char request[16384];
        for (const auto end = std::chrono::steady_clock::now() + 60s;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            const int fd = Ready(port_.Fd(), left) ? ::accept4(port_.Fd(), nullptr, nullptr, SOCK_CLOEXEC) : -1;
            if (fd < 0)
                return;
            if (Ready(fd, 2s))
                (void)!::recv(fd, request, sizeof request, 0);
            (void)!::send(fd, answer_.data(), answer_.size(), MSG_NOSIGNAL);
            ::shutdown(fd, SHUT_WR);
            while (Ready(fd, 10s) && ::recv(fd, request, sizeof request, 0) > 0) {
            }
            ::close(fd);
        }
    }
    std::string answer_;
    fakes::LoopbackPort port_{16};
    std::thread thread_{[this] { Serve(); }};
};

// Set by main(), which takes a mount namespace of its own before any thread starts.
inline bool privateMounts = false;

// Mounts over `at` a read-only bind of itself; returns a guard that undoes it, or null. A new bind has no
// writers yet, so it can turn read-only under open files.
inline std::shared_ptr<void> MountReadOnly(const std::filesystem::path& at) {
    const bool ok = privateMounts && ::mount(at.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                    ::mount(nullptr, at.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    const auto undo = [](std::filesystem::path* path) {
        ::umount2(path->c_str(), MNT_DETACH);
        delete path;
    };
    return ok ? std::shared_ptr<std::filesystem::path>(new std::filesystem::path(at), undo) : nullptr;
}

} // namespace zelto::faults
