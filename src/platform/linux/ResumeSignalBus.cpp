#include "platform/linux/ResumeSignalBus.h"

#include "platform/linux/DbusMessages.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace zelto {

namespace {

constexpr const char* kSystemBus = "unix:path=/run/dbus/system_bus_socket";
// Only logind's own signals: the bus hands over none that another program sends under that interface.
constexpr const char* kResumeRule = "type='signal',sender='org.freedesktop.login1',"
                                    "interface='org.freedesktop.login1.Manager',member='PrepareForSleep'";
// The handshake is answered at once by a bus on this machine; a hung one must not hold the client's stop.
constexpr long kHandshakeMicroseconds = 500000;

std::string Unescaped(std::string_view value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            text.push_back(static_cast<char>(std::strtol(std::string(value.substr(i + 1, 2)).c_str(), nullptr, 16)));
            i += 2;
        } else {
            text.push_back(value[i]);
        }
    }
    return text;
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// The server's answer to the authentication, one line.
std::optional<std::string> ReadLine(int fd) {
    std::string line;
    char c = 0;
    while (line.size() < 512) {
        const ssize_t got = ::recv(fd, &c, 1, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        line.push_back(c);
        if (line.ends_with("\r\n"))
            return line;
    }
    return std::nullopt;
}

} // namespace

std::string UnixBusSocket(std::string_view address) {
    while (!address.empty()) {
        const std::size_t end = address.find(';');
        std::string_view transport = address.substr(0, end);
        address = end == std::string_view::npos ? std::string_view() : address.substr(end + 1);
        if (!transport.starts_with("unix:"))
            continue;
        transport.remove_prefix(5);
        while (!transport.empty()) {
            const std::size_t comma = transport.find(',');
            const std::string_view pair = transport.substr(0, comma);
            transport = comma == std::string_view::npos ? std::string_view() : transport.substr(comma + 1);
            if (pair.starts_with("path="))
                return Unescaped(pair.substr(5));
            // An abstract name starts with a zero byte. Built by appending: a string put in front here makes
            // g++ 12 at -O2 warn of an overlapping copy that cannot happen (-Wrestrict).
            if (pair.starts_with("abstract=")) {
                std::string name(1, '\0');
                name.append(Unescaped(pair.substr(9)));
                return name;
            }
        }
    }
    return {};
}

ResumeSignalBus::ResumeSignalBus() {
    const char* given = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string path = UnixBusSocket(given && *given ? given : kSystemBus);
    sockaddr_un bus{};
    bus.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof bus.sun_path)
        return;
    std::memcpy(bus.sun_path, path.data(), path.size());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    const timeval limit{0, kHandshakeMicroseconds};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (path[0] ? 1 : 0));
    // The bus knows the client by the user id the kernel gives it for the socket.
    const std::string uid = std::to_string(::geteuid());
    std::string hello(1, '\0');
    hello.append("AUTH EXTERNAL ");
    for (const char digit : uid) {
        hello.push_back('3');
        hello.push_back(digit);
    }
    hello.append("\r\n");
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&bus), length) != 0 || !SendAll(fd_, hello)) {
        Close();
        return;
    }
    const std::optional<std::string> answer = ReadLine(fd_);
    if (!answer || !answer->starts_with("OK ") ||
        !SendAll(fd_,
                 "BEGIN\r\n" + BusMethodCall("Hello", std::nullopt, 1) + BusMethodCall("AddMatch", kResumeRule, 2))) {
        Close();
        return;
    }
    const timeval none{0, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &none, sizeof none);
}

ResumeSignalBus::~ResumeSignalBus() {
    Close();
}

void ResumeSignalBus::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool ResumeSignalBus::TakeResume() {
    char buffer[4096];
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
        Close();
        return false;
    }
    if (got > 0)
        received_.append(buffer, static_cast<std::size_t>(got));
    bool resumed = false;
    while (const std::optional<std::size_t> length = BusMessageLength(received_)) {
        if (*length == 0) {
            Close();
            return resumed;
        }
        if (received_.size() < *length)
            break;
        const std::optional<BusSignal> signal = ReadBusSignal(std::string_view(received_).substr(0, *length));
        if (signal && signal->interface == "org.freedesktop.login1.Manager" && signal->member == "PrepareForSleep" &&
            signal->firstBoolean == false)
            resumed = true;
        received_.erase(0, *length);
    }
    return resumed;
}

} // namespace zelto
