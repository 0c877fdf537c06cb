// The libcurl session against the local service emulator: answers, faults, limits and cancelling.

#include "platform/linux/CurlHttpSession.h"
#include "platform/StopSignal.h"

#include "ServiceEmulator.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace zelto {
namespace {

using emulator::Fault;
using emulator::ServiceEmulator;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Short limits keep the fault tests fast; they are still far above what a local answer takes.
constexpr HttpTimeouts kTestTimeouts{2000ms, 800ms};

emulator::Options ShortLived() {
    emulator::Options options;
    options.lifetime = std::chrono::seconds(30);
    return options;
}

Fault Answering(int status, std::string body) {
    Fault fault;
    fault.kind = Fault::Kind::Response;
    fault.status = status;
    fault.body = std::move(body);
    return fault;
}

// A listener that never accepts, with its queue filled: a new connection attempt hangs in the handshake.
class UnansweredListener {
public:
    UnansweredListener() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 0);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        for (int& fill : fillers_) {
            fill = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            sockaddr_in target = Loopback(port_);
            ::connect(fill, reinterpret_cast<sockaddr*>(&target), sizeof target);
        }
        std::this_thread::sleep_for(100ms);
    }
    ~UnansweredListener() {
        for (int fill : fillers_)
            ::close(fill);
        ::close(listener_);
    }
    UnansweredListener(const UnansweredListener&) = delete;
    UnansweredListener& operator=(const UnansweredListener&) = delete;

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/premium/update.asp"; }

private:
    static sockaddr_in Loopback(int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        return address;
    }

    int listener_ = -1;
    int port_ = 0;
    int fillers_[3] = {-1, -1, -1};
};

class CurlHttpSessionTest : public ::testing::Test {
protected:
    HttpFetch GetOnce(const std::string& path) {
        auto session = factory.Open();
        EXPECT_NE(session, nullptr);
        return session ? session->Get(Url(path)) : HttpFetch{};
    }
    std::string Url(const std::string& path) const { return "http://" + service.HostPort() + path; }

    ServiceEmulator service{ShortLived()};
    CurlHttpSessionFactory factory{"zelto-tests", kTestTimeouts};
};

struct BodyCase {
    const char* name;
    int status;
    std::string body;
    bool obtained;
    std::string firstLine;
};

class BodyTest : public CurlHttpSessionTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(BodyTest, ReadsUpToTheFirstLineFeed) {
    const BodyCase& c = GetParam();
    service.SetFault(Answering(c.status, c.body));
    HttpFetch fetch = GetOnce("/premium/update.asp?first=com");
    EXPECT_EQ(fetch.obtained, c.obtained);
    EXPECT_EQ(fetch.firstLine, c.firstLine);
}

void PrintTo(const BodyCase& c, std::ostream* out) {
    *out << c.name;
}

const std::string kLimit(64 * 1024, 'x');

INSTANTIATE_TEST_SUITE_P(
    Bodies, BodyTest,
    ::testing::Values(BodyCase{"CarriageReturnKept", 200, "ip203.0.113.7\r\n", true, "ip203.0.113.7\r"},
                      BodyCase{"FirstOfSeveralLines", 200, "nodomain\r\nip1.2.3.4\r\n", true, "nodomain\r"},
                      BodyCase{"NoLineFeed", 200, "expired", true, "expired"}, BodyCase{"Empty", 200, "", true, ""},
                      BodyCase{"ErrorStatusReadAlike", 500, "ip9.9.9.9\r\n<html>", true, "ip9.9.9.9\r"},
                      BodyCase{"NotFoundReadAlike", 404, "<html>\n", true, "<html>"},
                      BodyCase{"LineAtTheLimit", 200, kLimit + "\nmore", true, kLimit},
                      BodyCase{"LineOverTheLimit", 200, kLimit + "x\n", false, ""},
                      BodyCase{"BodyOverTheLimitWithoutLineFeed", 200, kLimit + "x", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CurlHttpSessionTest, OneSessionKeepsOneConnection) {
    service.AddAccount({"example", "com", "secret1", false});
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    for (int i = 0; i < 5; ++i) {
        HttpFetch fetch = session->Get(Url("/premium/update.asp?first=com&second=example&password=secret1"));
        EXPECT_TRUE(fetch.obtained);
        EXPECT_EQ(fetch.firstLine, "ip127.0.0.1\r");
    }
    EXPECT_EQ(service.Requests(), 5);
    EXPECT_EQ(service.Connections(), 1);
}

TEST_F(CurlHttpSessionTest, ConnectionRefusedIsNoAnswer) {
    // A port that was just free and has no listener.
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
    ::close(probe);

    auto session = factory.Open();
    HttpFetch fetch = session->Get("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/");
    EXPECT_FALSE(fetch.obtained);
}

TEST_F(CurlHttpSessionTest, ClosedWithoutAnswerIsNoAnswer) {
    Fault fault;
    fault.kind = Fault::Kind::CloseWithoutAnswer;
    service.SetFault(fault);
    EXPECT_FALSE(GetOnce("/premium/update.asp").obtained);
    EXPECT_EQ(service.Requests(), 1);
}

TEST_F(CurlHttpSessionTest, StallEndsAtTheTimeout) {
    Fault fault;
    fault.kind = Fault::Kind::Delay;
    fault.delay = 10s;
    service.SetFault(fault);
    auto start = Clock::now();
    EXPECT_FALSE(GetOnce("/premium/update.asp").obtained);
    EXPECT_LT(Clock::now() - start, 3s);
}

TEST_F(CurlHttpSessionTest, EndlessLineIsCutOffAndIsNoAnswer) {
    Fault fault;
    fault.kind = Fault::Kind::LongLine;
    fault.longLineBytes = 10 * 1024 * 1024;
    service.SetFault(fault);
    auto start = Clock::now();
    HttpFetch fetch = GetOnce("/premium/update.asp");
    EXPECT_FALSE(fetch.obtained);
    EXPECT_TRUE(fetch.firstLine.empty());
    EXPECT_LT(Clock::now() - start, 2s);
}

TEST_F(CurlHttpSessionTest, RedirectsAreFollowedUpToFive) {
    ServiceEmulator target(ShortLived());
    target.SetIpCheckAddress("198.51.100.4");
    Fault redirect = Answering(302, "moved\r\n");
    redirect.location = "http://" + target.HostPort() + "/premium/ipcheck.asp";
    service.SetFault(redirect);
    HttpFetch fetch = GetOnce("/premium/ipcheck.asp");
    EXPECT_TRUE(fetch.obtained);
    EXPECT_EQ(fetch.firstLine, "ip198.51.100.4\r");

    // A redirect to itself: the first request and five more, then no answer.
    redirect.location = Url("/loop");
    service.SetFault(redirect);
    int before = service.Requests();
    EXPECT_FALSE(GetOnce("/loop").obtained);
    EXPECT_EQ(service.Requests() - before, 6);
}

TEST_F(CurlHttpSessionTest, ConnectTimeoutEndsAHandshakeThatHangs) {
    UnansweredListener hanging;
    CurlHttpSessionFactory quick("zelto-tests", HttpTimeouts{300ms, 5000ms});
    auto start = Clock::now();
    EXPECT_FALSE(quick.Open()->Get(hanging.Url()).obtained);
    EXPECT_LT(Clock::now() - start, 2s);
}

TEST_F(CurlHttpSessionTest, StopEndsARequestStillConnecting) {
    UnansweredListener hanging;
    StopSignal stop;
    CurlHttpSessionFactory patient("zelto-tests", HttpTimeouts{});
    auto session = patient.Open(&stop);
    std::thread stopper([&] {
        std::this_thread::sleep_for(300ms);
        stop.Raise();
    });
    auto start = Clock::now();
    EXPECT_FALSE(session->Get(hanging.Url()).obtained);
    stopper.join();
    EXPECT_LT(Clock::now() - start, 1300ms);
}

TEST_F(CurlHttpSessionTest, SendsTheAgentAndAsksForNoCachedCopy) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::string head;
    std::thread server([&] {
        int fd = ::accept(listener, nullptr, nullptr);
        timeval wait{2, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        char buffer[4096];
        ssize_t got;
        while (head.find("\r\n\r\n") == std::string::npos && (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            head.append(buffer, static_cast<std::size_t>(got));
        const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nok\r\n";
        ::send(fd, answer, sizeof answer - 1, MSG_NOSIGNAL);
        ::close(fd);
    });
    CurlHttpSessionFactory named("ZeltoPre", kTestTimeouts);
    HttpFetch fetch =
        named.Open()->Get("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/premium/ipcheck.asp");
    server.join();
    ::close(listener);
    EXPECT_EQ(fetch.firstLine, "ok\r");
    EXPECT_TRUE(head.starts_with("GET /premium/ipcheck.asp HTTP/1.1\r\n")) << head;
    for (const char* header : {"User-Agent: ZeltoPre\r\n", "Cache-Control: no-cache\r\n", "Pragma: no-cache\r\n"})
        EXPECT_NE(head.find(header), std::string::npos) << header << " in " << head;
}

// Sets the proxy variables for one test and restores them afterwards.
class ProxyEnvironment {
public:
    explicit ProxyEnvironment(const char* proxy) {
        for (const char* name : kNames) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            ::setenv(name, proxy, 1);
        }
    }
    ~ProxyEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
    }

private:
    static constexpr const char* kNames[] = {"http_proxy", "HTTP_PROXY", "ALL_PROXY", "all_proxy"};
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(CurlHttpSessionTest, ProxyVariablesAreIgnored) {
    ProxyEnvironment proxy("http://127.0.0.1:9"); // nothing listens there
    service.SetIpCheckAddress("192.0.2.1");
    HttpFetch fetch = GetOnce("/premium/ipcheck.asp");
    EXPECT_TRUE(fetch.obtained);
    EXPECT_EQ(fetch.firstLine, "ip192.0.2.1\r");
}

TEST_F(CurlHttpSessionTest, StopEndsAStalledRequestAndLaterOnes) {
    Fault fault;
    fault.kind = Fault::Kind::Delay;
    fault.delay = 20s;
    service.SetFault(fault);
    StopSignal stop;
    CurlHttpSessionFactory patient("zelto-tests", HttpTimeouts{});
    auto session = patient.Open(&stop);
    ASSERT_NE(session, nullptr);

    Clock::time_point raised;
    std::thread stopper([&] {
        std::this_thread::sleep_for(300ms);
        raised = Clock::now();
        stop.Raise();
    });
    HttpFetch fetch = session->Get(Url("/premium/update.asp"));
    auto ended = Clock::now();
    stopper.join();
    EXPECT_FALSE(fetch.obtained);
    EXPECT_LT(ended - raised, 1s);

    int before = service.Requests();
    auto start = Clock::now();
    EXPECT_FALSE(session->Get(Url("/premium/ipcheck.asp")).obtained);
    EXPECT_LT(Clock::now() - start, 100ms);
    EXPECT_EQ(service.Requests(), before);
}

} // namespace
} // namespace zelto
