// The libcurl session against the local service emulator: answers, faults, limits and cancelling.

#include "platform/linux/CurlHttpSession.h"
#include "platform/StopSignal.h"

#include "ServiceEmulator.h"

#include <gtest/gtest.h>

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

Fault Make(Fault::Kind kind, std::chrono::milliseconds delay = {}, std::size_t longLineBytes = 0) {
    Fault fault;
    fault.kind = kind;
    fault.delay = delay;
    fault.longLineBytes = longLineBytes;
    return fault;
}

class CurlHttpSessionTest : public ::testing::Test {
protected:
    static emulator::Options ShortLived() { return {0, std::chrono::seconds(30), {}, false}; }
    std::string Url(const std::string& path) const { return "http://" + service.HostPort() + path; }
    HttpFetch GetOnce(const std::string& url) { return factory.Open()->Get(url); }

    ServiceEmulator service{ShortLived()};
    CurlHttpSessionFactory factory{"zelto-tests", kTestTimeouts};
};

TEST_F(CurlHttpSessionTest, ReadsUpToTheFirstLineFeedWithinTheLimit) {
    const std::string limit(64 * 1024, 'x');
    const struct {
        int status;
        std::string body;
        bool obtained;
        std::string firstLine;
    } cases[] = {
        {200, "ip203.0.113.7\r\n", true, "ip203.0.113.7\r"},
        {200, "nodomain\r\nip1.2.3.4\r\n", true, "nodomain\r"},
        {200, "expired", true, "expired"},
        {200, "", true, ""},
        {500, "ip9.9.9.9\r\n<html>", true, "ip9.9.9.9\r"}, // the status is never looked at
        {200, limit + "\nmore", true, limit},
        {200, limit + "x\n", false, ""},
    };
    for (const auto& c : cases) {
        Fault answer = Make(Fault::Kind::Response);
        answer.status = c.status;
        answer.body = c.body;
        service.SetFault(answer);
        const HttpFetch fetch = GetOnce(Url("/premium/update.asp"));
        EXPECT_EQ(fetch.obtained, c.obtained) << c.body.substr(0, 30);
        EXPECT_EQ(fetch.firstLine, c.firstLine) << c.body.substr(0, 30);
    }
}

TEST_F(CurlHttpSessionTest, FailuresAreNoAnswerWithinTheirBound) {
    ServiceEmulator gone(ShortLived());
    gone.Stop();
    const struct {
        const char* name;
        Fault fault;
        std::string url;
    } cases[] = {
        {"refused", {}, "http://" + gone.HostPort() + "/premium/update.asp"},
        {"closed without answer", Make(Fault::Kind::CloseWithoutAnswer), Url("/premium/update.asp")},
        {"stall past the timeout", Make(Fault::Kind::Delay, 10s), Url("/premium/update.asp")},
        {"10 MB line", Make(Fault::Kind::LongLine, 0ms, 10 * 1024 * 1024), Url("/premium/update.asp")},
    };
    for (const auto& c : cases) {
        service.SetFault(c.fault);
        const auto start = Clock::now();
        const HttpFetch fetch = GetOnce(c.url);
        EXPECT_FALSE(fetch.obtained) << c.name;
        EXPECT_EQ(fetch.firstLine, "") << c.name;
        EXPECT_LT(Clock::now() - start, 2s) << c.name;
    }
}

TEST_F(CurlHttpSessionTest, OneSessionKeepsOneConnection) {
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(session->Get(Url("/premium/ipcheck.asp")).firstLine, "ip127.0.0.1\r");
    }
    EXPECT_EQ(service.Requests(), 5);
    EXPECT_EQ(service.Connections(), 1);
}

TEST_F(CurlHttpSessionTest, ProxyVariablesAreIgnored) {
    ServiceEmulator proxy(ShortLived()); // a proxy would forward to the host asked for: its own address shows
    proxy.SetIpCheckAddress("198.51.100.1");
    service.SetIpCheckAddress("192.0.2.1");
    const std::string proxyUrl = "http://" + proxy.HostPort();
    const char* const names[] = {"http_proxy", "HTTP_PROXY", "ALL_PROXY", "all_proxy"};
    for (const char* name : names) {
        ::setenv(name, proxyUrl.c_str(), 1);
    }
    const HttpFetch fetch = GetOnce(Url("/premium/ipcheck.asp"));
    for (const char* name : names) {
        ::unsetenv(name); // the machine's own proxy is no business of the tests either
    }
    EXPECT_EQ(fetch.firstLine, "ip192.0.2.1\r");
    EXPECT_EQ(proxy.Requests(), 0);
}

TEST_F(CurlHttpSessionTest, StopEndsAStalledRequestAndLaterOnes) {
    service.SetFault(Make(Fault::Kind::Delay, 20s));
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
    EXPECT_FALSE(session->Get(Url("/premium/update.asp")).obtained);
    const auto ended = Clock::now();
    stopper.join();
    EXPECT_LT(ended - raised, 1s);

    const int before = service.Requests();
    EXPECT_FALSE(session->Get(Url("/premium/ipcheck.asp")).obtained);
    EXPECT_EQ(service.Requests(), before);
}

} // namespace
} // namespace zelto
