#pragma once

// What the fault cases share: the engine wired to real libcurl and a real settings file, notices that only
// count (a hostile server must not make the test itself hold its answers), process and mount helpers.

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
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <sys/types.h>

namespace zelto::faults {

using namespace std::chrono_literals;

// Keeps counts only, so memory stays flat however long the engine runs.
class CountingNotices : public Notices {
public:
    void ShowMessage(const std::string& text) override;
    bool SetTooltipText(const std::string& text) override;
    void LogExchange(const std::string& maskedUrl, const std::string& outcome) override;

    struct Counts {
        int exchanges = 0;
        int noAnswer = 0;     // "no answer"
        int registered = 0;   // an "ip" answer, recorded
        int recordFailed = 0; // an "ip" answer that could not be recorded
        int messages = 0;
        int tooltips = 0;
    };
    Counts Now() const;

private:
    mutable std::mutex mutex_;
    Counts counts_;
};

// A clock `step` seconds further on at every look. The default step makes every update record differ from
// the last one, so that each is really written.
class SteppingClock : public Clock {
public:
    explicit SteppingClock(std::time_t start = 1700000000, std::time_t step = 3600) : now_(start), step_(step) {}
    std::time_t Now() const override { return now_ += step_; }

private:
    mutable std::atomic<std::time_t> now_;
    const std::time_t step_;
};

// The update engine as the headless client builds it, on short pauses and time-outs, with the machine's
// address list empty so that every decision finds a pass due.
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

// Writes one domain entry and the update server's address.
void ConfigureOneDomain(SettingsFile& settings, const std::string& updateServer);

// Polls until done() holds or the time is up; returns done()'s last value.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// AddressSanitizer keeps freed memory in quarantine, so resident memory grows there by design; its leak
// check stands in for the bound.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kResidentMemoryIsMeaningful = false;
#else
inline constexpr bool kResidentMemoryIsMeaningful = true;
#endif

// This process's resident and peak resident memory, in KiB (VmRSS and VmHWM).
long ResidentKiB();
long PeakResidentKiB();

// A child started with fork that reports a text back through a pipe when it ends.
class Child {
public:
    explicit Child(const std::function<std::string()>& body);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid_; }
    // Its text, or why it failed; kills it when it is still running after `timeout`.
    std::string Finish(std::chrono::seconds timeout);

private:
    pid_t pid_ = -1;
    int reportFd_ = -1;
};

// Starts the client executable with its output thrown away; ends it with SIGKILL at destruction if it runs.
class Client {
public:
    explicit Client(const std::vector<std::string>& arguments);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void Signal(int signal) const;
    // The exit code, or -1 when it ended by a signal or was still running after `timeout`.
    int Wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
};

// Runs the client executable to its end and returns its exit code (-1: killed after 20 s).
int RunClient(const std::vector<std::string>& arguments);

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// True when main() put the process in a mount namespace of its own, where the cases may mount.
bool HavePrivateMounts();
void EnterPrivateMounts();

// A mount that goes away with the object. Tmpfs: a small file system of its own at `at` (a full disk);
// ReadOnly: a read-only view of `at` laid over it (a file made read-only under a running client).
class ScopedMount {
public:
    static std::unique_ptr<ScopedMount> Tmpfs(const std::filesystem::path& at, std::size_t bytes);
    static std::unique_ptr<ScopedMount> ReadOnly(const std::filesystem::path& at);
    ~ScopedMount();
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;

private:
    explicit ScopedMount(std::filesystem::path at) : at_(std::move(at)) {}
    std::filesystem::path at_;
};

// Fills the file system that holds `folder` with one file until it takes no more; returns that file.
std::filesystem::path FillDisk(const std::filesystem::path& folder);

} // namespace zelto::faults
