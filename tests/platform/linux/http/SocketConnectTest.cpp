// Staggered connects: an address that swallows packets, or refuses, must not hold up the next one.

#include "platform/linux/http/SocketConnect.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelto {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A listening socket on 127.0.0.1 that never accepts.
struct Listener {
    explicit Listener(int backlog) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, backlog) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(fd); }
    SocketAddress Address() const {
        SocketAddress result;
        result.family = AF_INET;
        auto* in = reinterpret_cast<sockaddr_in*>(&result.address);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        result.length = sizeof(sockaddr_in);
        return result;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
};

int PeerPort(int fd) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
    return ntohs(peer.sin_port);
}

TEST(SocketConnectTest, AnAddressThatSwallowsOrRefusesCostsAtMostOneStagger) {
    // A full accept queue drops new connection requests, as a broken route does.
    Listener full(0);
    std::vector<int> queued;
    for (int i = 0; i < 4; ++i)
        queued.push_back(ConnectFirst({full.Address()}, Clock::now() + 100ms, nullptr));
    Listener good(8);
    SocketAddress refused = good.Address();
    {
        Listener closed(1);
        refused = closed.Address();
    }
    const struct {
        const char* name;
        std::vector<SocketAddress> addresses;
        bool connects;
    } cases[] = {
        {"swallowing, then good", {full.Address(), good.Address()}, true},
        {"refused, then good", {refused, good.Address()}, true},
        {"swallowing only", {full.Address()}, false},
    };
    for (const auto& c : cases) {
        const auto start = Clock::now();
        const int fd = ConnectFirst(c.addresses, start + 600ms, nullptr, 150ms);
        const auto took = Clock::now() - start;
        EXPECT_EQ(fd >= 0, c.connects) << c.name;
        if (fd >= 0) {
            EXPECT_EQ(PeerPort(fd), good.port) << c.name;
            EXPECT_LT(took, 400ms) << c.name;
            ::close(fd);
        } else {
            EXPECT_GE(took, 550ms) << c.name;
        }
    }
    for (int fd : queued)
        if (fd >= 0)
            ::close(fd);
}

} // namespace
} // namespace zelto
