#pragma once

// What the fault cases share: the engine on real libcurl and a real settings file, notices that only count
// (so memory stays flat however long the engine runs), a raw server, processes and mounts.

#include "fakes/FakePorts.h"
#include "platform/Clock.h"
#include "platform/Notices.h"
#include "platform/linux/CurlHttpSession.h"
#include "platform/linux/NullAutodialSetting.h"
#include "settings/SettingsFile.h"
#include "update/EnginePorts.h"
#include "update/UpdateThread.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace zelto::faults {

using namespace std::chrono_literals;

class CountingNotices : public Notices {
public:
    struct Counts {
        int exchanges = 0, noAnswer = 0, registered = 0, recordFailed = 0, messages = 0, tooltips = 0;
    };
    void ShowMessage(const std::string&) override { Add(&Counts::messages); }
    bool SetTooltipText(const std::string&) override { return Add(&Counts::tooltips); }
    void LogExchange(const std::string& maskedUrl, const std::string& outcome) override;
    Counts Now() const;

private:
    bool Add(int Counts::*field);
    mutable std::mutex mutex_;
    Counts counts_;
};

// A clock `step` seconds further on at every look; the default makes every update record differ from the last.
class SteppingClock : public Clock {
public:
    SteppingClock(std::time_t start, std::time_t step) : now_(start), step_(step) {}
    std::time_t Now() const override { return now_ += step_; }

private:
    mutable std::atomic<std::time_t> now_;
    const std::time_t step_;
};

// The engine as the headless client builds it; the address list is empty, so every pass is due.
struct EngineRig {
    explicit EngineRig(const std::filesystem::path& settingsPath, HttpTimeouts timeouts = {1000ms, 300ms},
                       CycleTiming timing = {2ms, 2ms}, std::time_t start = 1700000000, std::time_t step = 3600);
    SettingsFile settings;
    CurlHttpSessionFactory http;
    NullAutodialSetting autodial;
    fakes::FakeHostAddresses addresses;
    SteppingClock clock;
    CountingNotices notices;
    fakes::FakeSound sound;
    EnginePorts ports;
    CUpdateThread thread;
    UpdateThreadRunner runner{thread};
};

void ConfigureOneDomain(SettingsFile& settings, const std::string& updateServer);
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
long StatusKiB(const std::string& field); // "VmRSS", "VmHWM" of this process

// Serves `answer` to every connection on 127.0.0.1, then closes it (with a TCP reset if `reset`); stops by
// itself after a minute.
class RawServer {
public:
    RawServer(std::string answer, bool reset);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    std::string answer_;
    bool reset_;
    int port_ = 0;
    int listener_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
int RefusingPort();

// A forked child running `body` (its return value is the exit code); killed at destruction if it runs.
class Process {
public:
    explicit Process(const std::function<int()>& body);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    void Signal(int signal) const;
    int Wait(std::chrono::milliseconds timeout);                      // exit code; -1 on a signal or a time-out
    static Process Client(const std::vector<std::string>& arguments); // the executable, output discarded

private:
    pid_t pid_ = -1;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// main() takes a mount namespace of its own before any thread starts; then a case may mount over its folder.
bool EnterPrivateMounts();
bool HavePrivateMounts();
// A mount of `at` undone at destruction: a small tmpfs (a disk to fill) or a read-only bind of itself.
class ScopedMount {
public:
    ScopedMount(const std::filesystem::path& at, std::size_t tmpfsBytes);
    ~ScopedMount();
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    bool ok = false;

private:
    std::filesystem::path at_;
};
std::filesystem::path FillDisk(const std::filesystem::path& folder); // returns the filler file

} // namespace zelto::faults
