// Staggered connects: an address that swallows packets, or refuses, must not hold up the next one.

#include "platform/linux/http/SocketConnect.h"
#include "fakes/LoopbackPort.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace zelto {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

SocketAddress Loopback(const fakes::LoopbackPort& port) {
    SocketAddress result;
    result.family = AF_INET;
    auto* in = reinterpret_cast<sockaddr_in*>(&result.address);
    in->sin_family = AF_INET;
    in->sin_port = htons(static_cast<std::uint16_t>(port.Port()));
    in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    result.length = sizeof(sockaddr_in);
    return result;
}

int PeerPort(int fd) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
    return ntohs(peer.sin_port);
}

// Without the stagger the first address would hold the attempt until the deadline, so a connection at all is
// the proof; with no other address the attempt lasts until the deadline (a lower bound only, never late).
TEST(SocketConnectTest, AnAddressThatSwallowsOrRefusesCostsAtMostOneStagger) {
    // A full accept queue drops new connection requests, as a broken route does.
    const fakes::LoopbackPort full(0), good(8), refused;
    std::vector<int> queued;
    for (int i = 0; i < 4; ++i)
        queued.push_back(ConnectFirst({Loopback(full)}, Clock::now() + 100ms, nullptr));
    const struct {
        const char* name;
        std::vector<SocketAddress> addresses;
        bool connects;
    } cases[] = {
        {"swallowing, then good", {Loopback(full), Loopback(good)}, true},
        {"refused, then good", {Loopback(refused), Loopback(good)}, true},
        {"swallowing only", {Loopback(full)}, false},
    };
    for (const auto& c : cases) {
        const auto start = Clock::now();
        const int fd = ConnectFirst(c.addresses, start + 1s, nullptr, 150ms);
        EXPECT_EQ(fd >= 0, c.connects) << c.name;
        if (fd >= 0) {
            EXPECT_EQ(PeerPort(fd), good.Port()) << c.name;
            ::close(fd);
        } else {
            EXPECT_GE(Clock::now() - start, 1s) << c.name;
        }
    }
    for (int fd : queued)
        if (fd >= 0)
            ::close(fd);
}

} // namespace
} // namespace zelto
