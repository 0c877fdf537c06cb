#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace zelto::faults {

// A server on 127.0.0.1 that breaks HTTP in ways the service emulator does not: it serves one connection
// at a time, closes each after one answer, and stops by itself after its lifetime.
class HostileServer {
public:
    enum class Mode {
        ResetMidAnswer, // a head announcing 64 bytes, four of them, then a TCP reset
        Garbage,        // random bytes instead of an HTTP answer
        BinaryBody,     // 200 with a random binary body: NULs, carriage returns, a line feed late
        Drip,           // 200, then one byte of the body every 50 ms, never a line feed
    };

    explicit HostileServer(Mode mode, std::chrono::seconds lifetime = std::chrono::seconds(60));
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    std::string HostPort() const;
    int Connections() const { return connections_; }

private:
    void Serve();
    void Answer(int fd);

    Mode mode_;
    int port_ = 0; // before listener_, which sets it
    int listener_ = -1;
    std::chrono::steady_clock::time_point deadline_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    unsigned seed_ = 7;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens: connections to it are refused.
int RefusingPort();

} // namespace zelto::faults
