#include "platform/windows/WinInetHttpSession.h"
#include "TestServers.h"
#include "platform/StopSignal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace zelto::wintest {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct AnswerCase {
    const char* path;
    bool obtained;
    const char* firstLine;
};

TEST(WinInetHttpSessionTest, ReadsTheFirstLineOfEveryAnswerWhateverItsStatus) {
    const AnswerCase cases[] = {
        {"/premium/update.asp?first=com&second=example&password=secret12&ip_address=203.0.113.7", true,
         "ip203.0.113.7\r"},
        {"/premium/update.asp?first=com&second=example&password=secret99", true, "wrongpassword\r"},
        {"/premium/update.asp?first=com&second=expired&password=secret12", true, "expired\r"},
        {"/premium/update.asp?first=net&second=example&password=secret12", true, "nodomain\r"},
        {"/premium/ipcheck.asp", true, "ip127.0.0.1\r"},
        {"/no-such-page", true, "<!DOCTYPE html>\r"},
    };
    WinInetHttpSessionFactory factory("zelto-premium-tests");
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    for (const AnswerCase& c : cases) {
        const HttpFetch fetch = session->Get(Url("ZELTO_TEST_EMULATOR", c.path));
        EXPECT_EQ(fetch.obtained, c.obtained) << c.path;
        EXPECT_EQ(fetch.firstLine, c.firstLine) << c.path;
    }
}

TEST(WinInetHttpSessionTest, NoServerAndAnOverlongLineAreNoResponse) {
    WinInetHttpSessionFactory factory("zelto-premium-tests", HttpTimeouts{2s, 10s});
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    EXPECT_FALSE(session->Get("http://127.0.0.1:1/premium/ipcheck.asp").obtained);
    EXPECT_FALSE(session->Get(Url("ZELTO_TEST_LONGLINE_EMULATOR", "/premium/ipcheck.asp")).obtained);
    // The session goes on serving after both.
    EXPECT_TRUE(session->Get(Url("ZELTO_TEST_EMULATOR", "/premium/ipcheck.asp")).obtained);
}

TEST(WinInetHttpSessionTest, StopEndsAStalledRequestWithinOneSecond) {
    StopSignal stop;
    WinInetHttpSessionFactory factory("zelto-premium-tests");
    auto session = factory.Open(&stop);
    ASSERT_NE(session, nullptr);
    auto fetch = std::async(std::launch::async,
                            [&] { return session->Get(Url("ZELTO_TEST_STALLED_EMULATOR", "/premium/ipcheck.asp")); });
    ASSERT_EQ(fetch.wait_for(300ms), std::future_status::timeout) << "the stalled server answered";
    const auto raised = Clock::now();
    stop.Raise();
    ASSERT_EQ(fetch.wait_for(1s), std::future_status::ready);
    EXPECT_LT(Clock::now() - raised, 1s);
    EXPECT_FALSE(fetch.get().obtained);
    // Later requests of a stopped session fail at once.
    EXPECT_FALSE(session->Get(Url("ZELTO_TEST_EMULATOR", "/premium/ipcheck.asp")).obtained);
}

TEST(WinInetHttpSessionTest, TotalTimeOutEndsAStalledRequestAndTheSessionServesTheNextOne) {
    WinInetHttpSessionFactory factory("zelto-premium-tests", HttpTimeouts{2s, 700ms});
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    const auto start = Clock::now();
    EXPECT_FALSE(session->Get(Url("ZELTO_TEST_STALLED_EMULATOR", "/premium/ipcheck.asp")).obtained);
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_EQ(session->Get(Url("ZELTO_TEST_EMULATOR", "/premium/ipcheck.asp")).firstLine, "ip127.0.0.1\r");
}

} // namespace
} // namespace zelto::wintest
