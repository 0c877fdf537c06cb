#include "platform/windows/WinInetHttpSession.h"
#include "BackgroundCall.h"
#include "TestServers.h"
#include "platform/StopSignal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>

namespace zelto::wintest {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct AnswerCase {
    const char* path;
    bool obtained;
    const char* firstLine;
    HttpFailure why;
};

TEST(WinInetHttpSessionTest, ReadsTheFirstLineOfEveryAnswerWhateverItsStatus) {
    const AnswerCase cases[] = {
        {"/premium/update.asp?first=com&second=example&password=secret12&ip_address=203.0.113.7", true,
         "ip203.0.113.7\r", HttpFailure::None},
        {"/premium/update.asp?first=com&second=example&password=secret99", true, "wrongpassword\r", HttpFailure::None},
        {"/premium/update.asp?first=com&second=expired&password=secret12", true, "expired\r", HttpFailure::None},
        {"/premium/update.asp?first=net&second=example&password=secret12", true, "nodomain\r", HttpFailure::None},
        {"/premium/ipcheck.asp", true, "ip127.0.0.1\r", HttpFailure::None},
        {"/no-such-page", true, "<!DOCTYPE html>\r", HttpFailure::ErrorStatus},
    };
    WinInetHttpSessionFactory factory("zelto-premium-tests");
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    for (const AnswerCase& c : cases) {
        const HttpFetch fetch = session->Get(Url("ZELTO_TEST_EMULATOR", c.path));
        EXPECT_EQ(fetch.obtained, c.obtained) << c.path;
        EXPECT_EQ(fetch.firstLine, c.firstLine) << c.path;
        EXPECT_EQ(fetch.failure, c.why) << c.path;
    }
}

// A pass over a long domain list is one request after another on one session: every one of them is answered.
TEST(WinInetHttpSessionTest, AnswersEveryRequestOfALongPassInTurn) {
    WinInetHttpSessionFactory factory("zelto-premium-tests", HttpTimeouts{5s, 20s});
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    const std::string url = Url("ZELTO_TEST_EMULATOR", "/premium/ipcheck.asp");
    int answered = 0;
    for (int request = 0; request < 300; ++request)
        answered += session->Get(url).firstLine == "ip127.0.0.1\r" ? 1 : 0;
    EXPECT_EQ(answered, 300);
}

// WinINet alone follows a redirect loop until the total time-out, each time with the password: a redirect
// to another server is followed, a loop ends after 5, as on Linux.
TEST(WinInetHttpSessionTest, FollowsRedirectsButNoMoreThanFive) {
    WinInetHttpSessionFactory factory("zelto-premium-tests", HttpTimeouts{2s, 20s});
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->Get(Url("ZELTO_TEST_REDIRECT_EMULATOR", "/premium/ipcheck.asp")).firstLine, "ip127.0.0.1\r");
    const auto loopRequests = [] {
        std::ifstream log(TestServer("ZELTO_TEST_LOOP_LOG"));
        return std::count(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>(), '\n');
    };
    const auto before = loopRequests();
    EXPECT_EQ(session->Get(Url("ZELTO_TEST_LOOP_EMULATOR", "/premium/update.asp?first=com")).failure,
              HttpFailure::TooManyRedirects);
    EXPECT_EQ(loopRequests() - before, 6);
}

// A line or a head over 64 KiB is no answer, as with the Linux sessions, and the session serves the next one.
TEST(WinInetHttpSessionTest, NoServerAndOverlongAnswersAreNoResponse) {
    WinInetHttpSessionFactory factory("zelto-premium-tests", HttpTimeouts{2s, 10s});
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    const struct {
        std::string url;
        HttpFailure why;
    } cases[] = {
        {"http://127.0.0.1:1/premium/ipcheck.asp", HttpFailure::ConnectionRefused},
        {Url("ZELTO_TEST_LONGLINE_EMULATOR", "/premium/ipcheck.asp"), HttpFailure::AnswerTooLong},
        {Url("ZELTO_TEST_LONGHEAD_EMULATOR", "/premium/ipcheck.asp"), HttpFailure::AnswerTooLong},
    };
    for (const auto& c : cases) {
        const HttpFetch fetch = session->Get(c.url);
        EXPECT_FALSE(fetch.obtained) << c.url;
        EXPECT_EQ(fetch.failure, c.why) << c.url;
        EXPECT_TRUE(session->Get(Url("ZELTO_TEST_EMULATOR", "/premium/ipcheck.asp")).obtained) << c.url;
    }
}

TEST(WinInetHttpSessionTest, StopEndsAStalledRequestWithinOneSecond) {
    StopSignal stop;
    WinInetHttpSessionFactory factory("zelto-premium-tests");
    auto session = factory.Open(&stop);
    ASSERT_NE(session, nullptr);
    BackgroundCall<HttpFetch> fetch(
        [&] { return session->Get(Url("ZELTO_TEST_STALLED_EMULATOR", "/premium/ipcheck.asp")); });
    ASSERT_FALSE(fetch.EndsWithin(300ms)) << "the stalled server answered";
    const auto raised = Clock::now();
    stop.Raise();
    ASSERT_TRUE(fetch.EndsWithin(1s));
    EXPECT_LT(Clock::now() - raised, 1s);
    EXPECT_FALSE(fetch.Get().obtained);
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
