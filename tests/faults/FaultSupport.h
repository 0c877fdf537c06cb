#pragma once

// What the fault cases share: the engine on real libcurl and a real settings file, notices that only count
// (so memory stays flat however long the engine runs), a raw server, child processes and mounts.

#include "fakes/FakePorts.h"
#include "fakes/SeedDomains.h"
#include "platform/linux/NullAutodialSetting.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "settings/SettingsFile.h"
#include "update/EnginePorts.h"
#include "update/UpdateCycle.h"
#include "update/UpdateCycleThread.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto::faults {

using namespace std::chrono_literals;

class CountingNotices : public Notices {
public:
    struct Counts {
        int exchanges = 0, noAnswer = 0, registered = 0, recordFailed = 0, messages = 0, tooltips = 0;
    };
    void ShowMessage(const std::string&) override { Add(&Counts::messages); }
    bool SetTooltipText(const std::string&) override { return Add(&Counts::tooltips); }
    void LogExchange(const std::string&, ExchangeOutcome outcome, const std::string& text) override {
        Add(&Counts::exchanges);
        if (outcome == ExchangeOutcome::NoAnswer)
            Add(&Counts::noAnswer);
        else if (outcome == ExchangeOutcome::RecordNotWritten)
            Add(&Counts::recordFailed);
        else if (outcome == ExchangeOutcome::Answered && text.starts_with("ip"))
            Add(&Counts::registered);
    }
    Counts Now() const {
        const std::lock_guard lock(mutex_);
        return counts_;
    }

private:
    bool Add(int Counts::*field) {
        const std::lock_guard lock(mutex_);
        return ++(counts_.*field);
    }
    mutable std::mutex mutex_;
    Counts counts_;
};

// `step` seconds further on at every look; the default makes every update record differ from the last.
struct SteppingClock : Clock {
    SteppingClock(std::time_t start, std::time_t step) : now(start), step(step) {}
    std::time_t Now() const override { return now += step; }
    mutable std::atomic<std::time_t> now;
    const std::time_t step;
};

// The engine as the headless client builds it; the address list is empty, so every pass is due.
struct EngineRig {
    explicit EngineRig(const std::filesystem::path& path, HttpTimeouts timeouts = {1000ms, 300ms},
                       CycleTiming timing = {2ms, 2ms}, std::time_t start = 1700000000, std::time_t step = 3600)
        : settings(path), http("zelto-fault-test", timeouts),
          clock(start, step), ports{settings, {http, autodial, addresses, clock, sound}, notices},
          thread(ports, timing) {}
    SettingsFile settings;
    SocketHttpSessionFactory http;
    NullAutodialSetting autodial;
    fakes::FakeHostAddresses addresses;
    SteppingClock clock;
    CountingNotices notices;
    fakes::FakeSound sound;
    EnginePorts ports;
    UpdateCycle thread;
    UpdateCycleThread runner{thread};
};

inline void ConfigureOneDomain(SettingsFile& settings, const std::string& updateServer) {
    settings.WriteText("updateserver", updateServer);
    fakes::SeedDomains(settings, {{"example", "com", "secret12"}});
}

inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// "VmRSS" or "VmHWM" of this process, in KiB.
inline long StatusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field + ":"))
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

inline int Listen(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port = ntohs(address.sin_port);
    return fd;
}

// Sends `answer` on every connection to 127.0.0.1, then resets it; stops by itself after a minute.
class RawServer {
public:
    explicit RawServer(std::string answer) : answer_(std::move(answer)) {}
    ~RawServer() {
        stopping_ = true;
        thread_.join();
        ::close(listener_);
    }
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    static int Unsent(int fd) {
        int bytes = 0;
        return ::ioctl(fd, SIOCOUTQ, &bytes) == 0 ? bytes : 0;
    }
    // The client closed or reset its end: what is unsent will never be read.
    static bool PeerGone(int fd) {
        pollfd entry{fd, POLLRDHUP, 0};
        return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
    }
    static bool Readable(int fd, int ms) {
        pollfd entry{fd, POLLIN, 0};
        return ::poll(&entry, 1, ms) > 0;
    }
    void Serve() {
        for (const auto end = std::chrono::steady_clock::now() + 60s;
             !stopping_ && std::chrono::steady_clock::now() < end;) {
            const int fd = Readable(listener_, 20) ? ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
            char request[16384];
            if (fd < 0)
                continue;
            if (Readable(fd, 2000))
                (void)!::recv(fd, request, sizeof request, 0);
            (void)!::send(fd, answer_.data(), answer_.size(), MSG_NOSIGNAL);
            // A reset drops what the client has not yet received: the whole answer reaches it first, however
            // slowly a loaded machine lets it read (for at most two seconds), unless it stopped reading.
            for (int wait = 0; wait < 200 && Unsent(fd) > 0 && !PeerGone(fd); ++wait)
                std::this_thread::sleep_for(10ms);
            const linger abort{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            ::close(fd);
        }
    }
    std::string answer_;
    int port_ = 0;
    int listener_ = Listen(port_);
    std::atomic<bool> stopping_{false};
    std::thread thread_{[this] { Serve(); }};
};

// A forked child running `body`, whose result is its exit code; killed at destruction if it still runs.
class Process {
public:
    explicit Process(const std::function<int()>& body) : pid_(::fork()) {
        if (pid_ == 0)
            ::_exit(body());
    }
    ~Process() {
        if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0)
            ::waitpid(pid_, nullptr, 0);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    void Signal(int signal) const { ::kill(pid_, signal); }
    int Wait(std::chrono::milliseconds timeout) { // the exit code; -1 on a signal or a time-out
        int status = 0;
        if (!WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeout))
            return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_;
};

// Set by main(), which takes a mount namespace of its own before any thread starts.
inline bool privateMounts = false;

// Mounts over `at` a small tmpfs (a disk to fill) or, with no size, a read-only bind of itself; returns a
// guard that undoes it, or null. A new bind has no writers yet, so it can turn read-only under open files.
inline std::shared_ptr<void> Mount(const std::filesystem::path& at, std::size_t tmpfsBytes) {
    const std::string size = "size=" + std::to_string(tmpfsBytes);
    const bool ok =
        privateMounts &&
        (tmpfsBytes > 0 ? ::mount("zelto", at.c_str(), "tmpfs", 0, size.c_str()) == 0
                        : ::mount(at.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                              ::mount(nullptr, at.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);
    const auto undo = [](std::filesystem::path* path) {
        ::umount2(path->c_str(), MNT_DETACH);
        delete path;
    };
    return ok ? std::shared_ptr<std::filesystem::path>(new std::filesystem::path(at), undo) : nullptr;
}

// Fills the file system holding `folder` to the last byte; returns the filler file.
inline std::filesystem::path FillDisk(const std::filesystem::path& folder) {
    const std::filesystem::path filler = folder / "filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    for (std::size_t block : {4096, 1})
        while (::write(fd, std::string(block, 'z').data(), block) > 0) {
        }
    ::close(fd);
    return filler;
}

} // namespace zelto::faults
