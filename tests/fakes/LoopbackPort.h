#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelto::fakes {

// A port on 127.0.0.1 held for as long as this object lives, bound without SO_REUSEADDR so that no test running
// beside this one can take it over, as it could a port that was merely closed. Without a backlog it refuses
// every connection; with one it listens, and the test accepts on Fd() or lets the queue fill.
class LoopbackPort {
public:
    explicit LoopbackPort(int backlog = -1) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            (backlog >= 0 && ::listen(fd_, backlog) != 0) ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot bind a port on 127.0.0.1");
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackPort() { ::close(fd_); }
    LoopbackPort(const LoopbackPort&) = delete;
    LoopbackPort& operator=(const LoopbackPort&) = delete;

    int Fd() const { return fd_; }
    int Port() const { return port_; }
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    int fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port_ = 0;
};

// Whether `fd` has something to read, or its peer's end, within `timeout`: what a server of the test's own waits
// on instead of a blocking call that could hang the suite.
inline bool Readable(int fd, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(timeout.count())) == 1;
}

} // namespace zelto::fakes
