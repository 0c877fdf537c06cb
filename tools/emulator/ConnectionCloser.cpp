#include "ConnectionCloser.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <charconv>
#include <filesystem>
#include <string>

namespace zelto::emulator {

namespace {

// The connected socket of this process whose ends are the given ports on 127.0.0.1; -1 when none is.
int FindConnection(int localPort, int remotePort) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const std::string name = entry.path().filename().string();
        int fd = -1;
        if (std::from_chars(name.data(), name.data() + name.size(), fd).ec != std::errc{})
            continue;
        sockaddr_in local{};
        sockaddr_in remote{};
        socklen_t localLength = sizeof local;
        socklen_t remoteLength = sizeof remote;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) == 0 &&
            ::getpeername(fd, reinterpret_cast<sockaddr*>(&remote), &remoteLength) == 0 &&
            local.sin_family == AF_INET && ntohs(local.sin_port) == localPort && ntohs(remote.sin_port) == remotePort)
            return fd;
    }
    return -1;
}

} // namespace

bool CloseWithoutAnswer(const httplib::Request& request) {
    // A TLS connection names its socket; a plain one is found by its two ports.
    const int fd = request.ssl ? SSL_get_fd(request.ssl) : FindConnection(request.local_port, request.remote_port);
    // The library still owns the descriptor and closes it; shutting it down makes its answer go nowhere.
    return fd >= 0 && ::shutdown(fd, SHUT_RDWR) == 0;
}

} // namespace zelto::emulator
