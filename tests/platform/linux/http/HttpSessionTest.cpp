// Both session adapters against the local service emulator: answers, faults, limits, redirects and
// cancelling. The socket session serves the program's own URLs and libcurl the rest, so they must agree.

#include "platform/StopSignal.h"
#include "platform/linux/http/CurlHttpSession.h"
#include "platform/linux/http/SocketHttpSession.h"

#include "ServiceEmulator.h"
#include "fakes/LoopbackPort.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace zelto {
namespace {

using emulator::Fault;
using emulator::ServiceEmulator;
using namespace std::chrono_literals;

// Short limits keep the fault tests fast; they are still far above what a local answer takes.
constexpr HttpTimeouts kTestTimeouts{2000ms, 800ms};

Fault Make(Fault::Kind kind, std::chrono::milliseconds delay = {}, std::size_t longLineBytes = 0) {
    return {kind, delay, 200, "", "", longLineBytes};
}

// Every page answers `status` with `body`, sending to `location` if given.
Fault Answer(int status, std::string body, std::string location = "") {
    return {Fault::Kind::Response, {}, status, std::move(body), std::move(location), 0};
}

emulator::Options ShortLived() {
    return {0, std::chrono::seconds(30), {}, false};
}

template <typename Factory> class HttpSessionTest : public ::testing::Test {
protected:
    std::string Url(const std::string& path) const { return "http://" + service.HostPort() + path; }
    HttpFetch GetOnce(const std::string& url) { return factory.Open()->Get(url); }

    ServiceEmulator service{ShortLived()};
    Factory factory{"zelto-tests", kTestTimeouts};
};

using Adapters = ::testing::Types<SocketHttpSessionFactory, CurlHttpSessionFactory>;
TYPED_TEST_SUITE(HttpSessionTest, Adapters);

TYPED_TEST(HttpSessionTest, ReadsUpToTheFirstLineFeed) {
    const struct {
        int status;
        std::string body;
        bool obtained;
        std::string firstLine;
    } cases[] = {
        {200, "nodomain\r\nip1.2.3.4\r\n", true, "nodomain\r"},
        {200, "expired", true, "expired"},
        {200, "", true, ""},
        {500, "ip9.9.9.9\r\n<html>", true, "ip9.9.9.9\r"}, // the status never changes how the line is read
    };
    for (const auto& c : cases) {
        this->service.SetFault(Answer(c.status, c.body));
        const HttpFetch fetch = this->GetOnce(this->Url("/premium/update.asp"));
        EXPECT_EQ(fetch.obtained, c.obtained) << c.body.substr(0, 30);
        EXPECT_EQ(fetch.firstLine, c.firstLine) << c.body.substr(0, 30);
        // ... but it is kept to say why an answer matched nothing.
        EXPECT_EQ(fetch.failure == HttpFailure::ErrorStatus, c.obtained && c.status >= 400) << c.body.substr(0, 30);
        EXPECT_EQ(fetch.status, c.obtained ? c.status : 0) << c.body.substr(0, 30);
    }
}

TYPED_TEST(HttpSessionTest, FailuresAreNoAnswerWithinTheirBound) {
    const fakes::LoopbackPort refused;
    const struct {
        const char* name;
        Fault fault;
        std::string host; // empty: the service
        HttpFailure why;
    } cases[] = {
        {"refused", {}, refused.HostPort(), HttpFailure::ConnectionRefused},
        {"closed without answer", Make(Fault::Kind::CloseWithoutAnswer), "", HttpFailure::ConnectionBroken},
        {"stall past the timeout", Make(Fault::Kind::Delay, 10s), "", HttpFailure::TimedOut},
        {"10 MB line", Make(Fault::Kind::LongLine, 0ms, 10 * 1024 * 1024), "", HttpFailure::AnswerTooLong},
    };
    for (const auto& c : cases) {
        this->service.SetFault(c.fault);
        const HttpFetch fetch = this->GetOnce(c.host.empty() ? this->Url("/premium/update.asp")
                                                             : "http://" + c.host + "/premium/update.asp");
        EXPECT_FALSE(fetch.obtained) << c.name;
        EXPECT_EQ(fetch.firstLine, "") << c.name;
        EXPECT_EQ(fetch.failure, c.why) << c.name;
    }
}

TYPED_TEST(HttpSessionTest, OneSessionKeepsOneConnection) {
    auto session = this->factory.Open();
    ASSERT_NE(session, nullptr);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(session->Get(this->Url("/premium/ipcheck.asp")).firstLine, "ip127.0.0.1\r");
    }
    EXPECT_EQ(this->service.Requests(), 5);
    EXPECT_EQ(this->service.Connections(), 1);
}

TYPED_TEST(HttpSessionTest, RedirectsAreFollowedFiveTimes) {
    ServiceEmulator target(ShortLived());
    this->service.SetFault(Answer(302, "", "http://" + target.HostPort() + "/premium/ipcheck.asp"));
    EXPECT_EQ(this->GetOnce(this->Url("/premium/update.asp")).firstLine, "ip127.0.0.1\r");
    // Both adapters send the same headers, and no Referer: the update URL holds the password.
    EXPECT_EQ(target.LastHeaderNames(),
              (std::vector<std::string>{"accept", "cache-control", "host", "pragma", "user-agent"}));

    this->service.SetFault(Answer(301, "", "/premium/update.asp"));
    const int before = this->service.Requests();
    EXPECT_EQ(this->GetOnce(this->Url("/premium/update.asp")).failure, HttpFailure::TooManyRedirects);
    EXPECT_EQ(this->service.Requests() - before, 6);
}

TYPED_TEST(HttpSessionTest, ProxyVariablesAreIgnored) {
    ServiceEmulator proxy(ShortLived()); // a proxy would forward to the host asked for: its own address shows
    proxy.SetPublicAddress("198.51.100.1");
    this->service.SetPublicAddress("192.0.2.1");
    const std::string proxyUrl = "http://" + proxy.HostPort();
    const char* const names[] = {"http_proxy", "HTTP_PROXY", "ALL_PROXY", "all_proxy"};
    for (const char* name : names) {
        ::setenv(name, proxyUrl.c_str(), 1);
    }
    const HttpFetch fetch = this->GetOnce(this->Url("/premium/ipcheck.asp"));
    for (const char* name : names) {
        ::unsetenv(name); // the machine's own proxy is no business of the tests either
    }
    EXPECT_EQ(fetch.firstLine, "ip192.0.2.1\r");
    EXPECT_EQ(proxy.Requests(), 0);
}

// A server that takes the request and never answers: the stop is raised once the request came, and the
// client must drop the connection, not wait for an answer.
TYPED_TEST(HttpSessionTest, StopEndsAStalledRequestAndLaterOnes) {
    const fakes::LoopbackPort stalling(1);
    StopSignal stop;
    TypeParam patient("zelto-tests", HttpTimeouts{});
    auto session = patient.Open(&stop);
    ASSERT_NE(session, nullptr);
    bool dropped = false;
    std::thread server([&] {
        const int fd = fakes::Readable(stalling.Fd()) ? ::accept(stalling.Fd(), nullptr, nullptr) : -1;
        char request[4096];
        if (fd >= 0 && fakes::Readable(fd) && ::recv(fd, request, sizeof request, 0) > 0) {
            stop.Raise();
            ssize_t got = 1;
            while (got > 0 && fakes::Readable(fd))
                got = ::recv(fd, request, sizeof request, 0);
            dropped = got <= 0;
        }
        ::close(fd);
    });
    EXPECT_FALSE(session->Get("http://" + stalling.HostPort() + "/premium/update.asp").obtained);
    server.join();
    EXPECT_TRUE(dropped) << "the request went on after the stop";

    EXPECT_FALSE(session->Get(this->Url("/premium/ipcheck.asp")).obtained);
    EXPECT_EQ(this->service.Requests(), 0);
}

// Takes the URLs the socket session leaves to another adapter.
struct RecordingFactory : HttpSessionFactory {
    struct Session : HttpSession {
        explicit Session(std::vector<std::string>& urls) : urls(urls) {}
        HttpFetch Get(const std::string& url) override {
            urls.push_back(url);
            return {true, "ip192.0.2.9"};
        }
        std::vector<std::string>& urls;
    };
    std::unique_ptr<HttpSession> Open(const StopSignal*, const HttpTrust&) override {
        return std::make_unique<Session>(urls);
    }
    std::vector<std::string> urls;
};

TEST(SocketHttpSessionTest, LeavesOtherSchemesToTheOtherAdapter) {
    ServiceEmulator service(ShortLived());
    const Fault secure = Answer(307, "", "https://www.example.invalid/premium/update.asp?first=com");
    service.SetFault(secure);
    auto other = std::make_shared<RecordingFactory>();
    SocketHttpSessionFactory factory("zelto-tests", kTestTimeouts, other);
    auto session = factory.Open();
    EXPECT_EQ(session->Get("http://" + service.HostPort() + "/premium/update.asp").firstLine, "ip192.0.2.9");
    EXPECT_EQ(other->urls, std::vector<std::string>{secure.location});
}

// Interim answers, header lines and trailers count against one limit; how each reads is HttpWireTest's.
TYPED_TEST(HttpSessionTest, AHeadOverTheLimitIsNoAnswer) {
    for (std::size_t bytes : {100'000, 1024 * 1024}) {
        this->service.SetFault(Make(Fault::Kind::LongHead, 0ms, bytes));
        EXPECT_EQ(this->GetOnce(this->Url("/premium/update.asp")).failure, HttpFailure::AnswerTooLong) << bytes;
    }
}

TEST(SocketHttpSessionTest, AKeptConnectionTheServerDroppedIsReplacedOnce) {
    ServiceEmulator service(ShortLived());
    SocketHttpSessionFactory factory("zelto-tests", kTestTimeouts, nullptr);
    auto session = factory.Open();
    const std::string url = "http://" + service.HostPort() + "/premium/ipcheck.asp";
    EXPECT_TRUE(session->Get(url).obtained);
    // The kept connection and its replacement both close without a byte: no answer, and no third try.
    service.SetFault(Make(Fault::Kind::CloseWithoutAnswer));
    EXPECT_FALSE(session->Get(url).obtained);
    EXPECT_EQ(service.Connections(), 2);
    service.SetFault({});
    EXPECT_EQ(session->Get(url).firstLine, "ip127.0.0.1\r");
    EXPECT_EQ(service.Connections(), 3);
}

} // namespace
} // namespace zelto
