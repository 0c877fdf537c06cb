// The emulator's connections: keep-alive, faults on the wire, bounds and its own end.

#include "ServiceEmulator.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace zelto::emulator {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

Options ShortLived(std::chrono::seconds lifetime = std::chrono::seconds(30)) {
    return Options{0, lifetime, {}, false};
}

// Sends raw bytes on a fresh connection and returns everything read until the peer closes (or 2 s pass).
std::string Exchange(int port, const std::string& bytes) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval wait{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string received;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
        char buffer[4096];
        ssize_t got;
        while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0 && received.size() < 1000000)
            received.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return received;
}

TEST(EmulatorConnectionTest, KeepAliveServesManyRequestsOnOneConnection) {
    ServiceEmulator service(ShortLived());
    httplib::Client client("127.0.0.1", service.Port());
    client.set_keep_alive(true);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(client.Get("/premium/ipcheck.asp"));
    EXPECT_EQ(service.Requests(), 4);
    EXPECT_EQ(service.Connections(), 1);
}

TEST(EmulatorConnectionTest, ConnectionCloseAndHttp10EndTheConnection) {
    ServiceEmulator service(ShortLived());
    std::string closed = Exchange(service.Port(), "GET /premium/ipcheck.asp HTTP/1.1\r\nHost: x\r\n"
                                                  "Connection: close\r\n\r\n");
    EXPECT_TRUE(closed.starts_with("HTTP/1.1 200 OK\r\n")) << closed;
    EXPECT_NE(closed.find("Connection: close\r\n"), std::string::npos);
    EXPECT_TRUE(closed.ends_with("\r\n\r\nip127.0.0.1\r\n")) << closed;

    std::string old = Exchange(service.Port(), "GET / HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(old.starts_with("HTTP/1.1 200 OK\r\n")) << old;
    EXPECT_EQ(service.Connections(), 2);
}

TEST(EmulatorConnectionTest, MalformedOrOversizedRequestsAreRefused) {
    ServiceEmulator service(ShortLived());
    EXPECT_TRUE(Exchange(service.Port(), "NONSENSE\r\n\r\n").starts_with("HTTP/1.1 400"));
    std::string huge = "GET / HTTP/1.1\r\nX-Filler: " + std::string(100000, 'a') + "\r\n\r\n";
    EXPECT_TRUE(Exchange(service.Port(), huge).starts_with("HTTP/1.1 431"));
}

TEST(EmulatorConnectionTest, CloseWithoutAnswerSendsNothing) {
    ServiceEmulator service(ShortLived());
    Fault fault;
    fault.kind = Fault::Kind::CloseWithoutAnswer;
    service.SetFault(fault);
    EXPECT_EQ(Exchange(service.Port(), "GET / HTTP/1.1\r\nHost: x\r\n\r\n"), "");
    EXPECT_EQ(service.Requests(), 1);
}

TEST(EmulatorConnectionTest, DelayHoldsTheAnswer) {
    ServiceEmulator service(ShortLived());
    Fault fault;
    fault.kind = Fault::Kind::Delay;
    fault.delay = 300ms;
    service.SetFault(fault);
    httplib::Client client("127.0.0.1", service.Port());
    auto start = Clock::now();
    auto result = client.Get("/premium/ipcheck.asp");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->body, "ip127.0.0.1\r\n");
    EXPECT_GE(Clock::now() - start, 300ms);
}

TEST(EmulatorConnectionTest, StopEndsStalledConnectionsPromptly) {
    ServiceEmulator service(ShortLived());
    Fault fault;
    fault.kind = Fault::Kind::Delay;
    fault.delay = 30s;
    service.SetFault(fault);
    std::thread waiting([&] { Exchange(service.Port(), "GET / HTTP/1.1\r\nHost: x\r\n\r\n"); });
    std::this_thread::sleep_for(200ms);
    auto start = Clock::now();
    service.Stop();
    EXPECT_LT(Clock::now() - start, 1s);
    waiting.join();
}

TEST(EmulatorConnectionTest, StopsByItselfAtTheEndOfItsLifetime) {
    auto start = Clock::now();
    ServiceEmulator service(ShortLived(std::chrono::seconds(1)));
    int port = service.Port();
    service.Wait();
    EXPECT_LT(Clock::now() - start, 2s);
    httplib::Client client("127.0.0.1", port);
    EXPECT_FALSE(client.Get("/"));
}

} // namespace
} // namespace zelto::emulator
