#include "platform/windows/WinInetHttpSession.h"
#include "TestServers.h"
#include "platform/StopSignal.h"

#include <gtest/gtest.h>

namespace zelto::wintest {
namespace {

using namespace std::chrono_literals;

const char* const kIpCheck = "/premium/ipcheck.asp";

// The first line of an answer whatever its status; no server, a line or a head over 64 KiB (as with the
// Linux sessions) are no answer. After each the session serves the next request.
TEST(WinInetHttpSessionTest, ReadsTheFirstLineOrTellsWhyThereIsNone) {
    const struct {
        std::string url;
        bool obtained;
        const char* firstLine;
        HttpFailure why;
    } cases[] = {
        {Url("ZELTO_TEST_EMULATOR", kIpCheck), true, "ip127.0.0.1\r", HttpFailure::None},
        {Url("ZELTO_TEST_EMULATOR", "/no-such-page"), true, "<!DOCTYPE html>\r", HttpFailure::ErrorStatus},
        {"http://127.0.0.1:1/premium/ipcheck.asp", false, "", HttpFailure::ConnectionRefused},
        {Url("ZELTO_TEST_LONGLINE_EMULATOR", kIpCheck), false, "", HttpFailure::AnswerTooLong},
        {Url("ZELTO_TEST_LONGHEAD_EMULATOR", kIpCheck), false, "", HttpFailure::AnswerTooLong},
    };
    WinInetHttpSessionFactory factory("zelto-premium-tests", HttpTimeouts{2s, 10s});
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    for (const auto& c : cases) {
        const HttpFetch fetch = session->Get(c.url);
        EXPECT_EQ(fetch.obtained, c.obtained) << c.url;
        EXPECT_EQ(fetch.firstLine, c.firstLine) << c.url;
        EXPECT_EQ(fetch.failure, c.why) << c.url;
        EXPECT_TRUE(session->Get(Url("ZELTO_TEST_EMULATOR", kIpCheck)).obtained) << c.url;
    }
}

// WinINet alone follows a redirect loop until the total time-out, each time with the password: a redirect
// to another server is followed, a loop ends after 5, as on Linux.
TEST(WinInetHttpSessionTest, FollowsRedirectsButNoMoreThanFive) {
    WinInetHttpSessionFactory factory("zelto-premium-tests", HttpTimeouts{2s, 20s});
    auto session = factory.Open();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->Get(Url("ZELTO_TEST_REDIRECT_EMULATOR", kIpCheck)).firstLine, "ip127.0.0.1\r");
    const auto before = LogLines(TestServer("ZELTO_TEST_LOOP_LOG"), "");
    EXPECT_EQ(session->Get(Url("ZELTO_TEST_LOOP_EMULATOR", "/premium/update.asp?first=com")).failure,
              HttpFailure::TooManyRedirects);
    EXPECT_EQ(LogLines(TestServer("ZELTO_TEST_LOOP_LOG"), "") - before, 6);
}

// A stop during a request ends it too: the console test's events end --headless during a stalled one.
TEST(WinInetHttpSessionTest, TotalTimeOutEndsAStalledRequestAndAStopEveryLaterOne) {
    StopSignal stop;
    WinInetHttpSessionFactory factory("zelto-premium-tests", HttpTimeouts{2s, 700ms});
    auto session = factory.Open(&stop);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->Get(Url("ZELTO_TEST_STALLED_EMULATOR", kIpCheck)).failure, HttpFailure::TimedOut);
    EXPECT_EQ(session->Get(Url("ZELTO_TEST_EMULATOR", kIpCheck)).firstLine, "ip127.0.0.1\r");
    stop.Raise();
    EXPECT_EQ(session->Get(Url("ZELTO_TEST_EMULATOR", kIpCheck)).failure, HttpFailure::Stopped);
}

} // namespace
} // namespace zelto::wintest
