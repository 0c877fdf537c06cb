#include "HostileServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>
#include <stdexcept>

namespace zelto::faults {

namespace {

using namespace std::chrono_literals;

int Listen(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

bool Readable(int fd, std::chrono::milliseconds wait) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(wait.count())) > 0;
}

bool Send(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t put = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (put <= 0)
            return false;
        sent += static_cast<std::size_t>(put);
    }
    return true;
}

// Reads the request head; the answer does not depend on it.
void DrainRequest(int fd) {
    std::string head;
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384 && Readable(fd, 2000ms)) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        head.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace

HostileServer::HostileServer(Mode mode, std::chrono::seconds lifetime)
    : mode_(mode), port_(0), listener_(Listen(port_)), deadline_(std::chrono::steady_clock::now() + lifetime),
      thread_([this] { Serve(); }) {}

HostileServer::~HostileServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::string HostileServer::HostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void HostileServer::Serve() {
    while (!stopping_ && std::chrono::steady_clock::now() < deadline_) {
        if (!Readable(listener_, 20ms))
            continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        DrainRequest(fd);
        Answer(fd);
        ::close(fd);
    }
}

void HostileServer::Answer(int fd) {
    std::mt19937 random(seed_++);
    std::uniform_int_distribution<int> byte(0, 255);
    switch (mode_) {
    case Mode::ResetMidAnswer: {
        Send(fd, "HTTP/1.1 200 OK\r\nContent-Length: 64\r\n\r\nip12");
        const linger reset{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        return;
    }
    case Mode::Garbage: {
        std::string junk(8192, '\0');
        for (char& c : junk)
            c = static_cast<char>(byte(random));
        junk[0] = '\x01'; // never the start of a status line
        Send(fd, junk);
        return;
    }
    case Mode::BinaryBody: {
        std::string body(4096, '\0');
        for (char& c : body) {
            const int b = byte(random);
            c = static_cast<char>(b == '\n' ? '\r' : b);
        }
        body[0] = '\0'; // an answer line never begins with "ip"
        body[3000] = '\n';
        Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n"
                 "Content-Length: " +
                     std::to_string(body.size()) + "\r\n\r\n" + body);
        return;
    }
    case Mode::Drip:
        if (!Send(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n"))
            return;
        while (!stopping_ && std::chrono::steady_clock::now() < deadline_ && Send(fd, "x")) {
            if (Readable(fd, 50ms)) {
                char sink[256];
                if (::recv(fd, sink, sizeof sink, 0) <= 0)
                    return;
            }
        }
        return;
    }
}

int RefusingPort() {
    int port = 0;
    ::close(Listen(port));
    return port;
}

} // namespace zelto::faults
