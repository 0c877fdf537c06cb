#include "update/UpdateThread.h"

#include "EngineFixture.h"

#include <algorithm>
#include <future>
#include <thread>

namespace zelto::enginetest {
namespace {

using namespace std::chrono_literals;
using fakes::FakeClock;
using fakes::FakeSleeper;
using Pauses = std::vector<std::chrono::milliseconds>;

const std::string kUpdatePage = "/premium/update.asp";

class UpdateThreadTest : public EngineTest {
protected:
    UpdateThreadTest() {
        world.addresses.addresses = {"203.0.113.7"};
        world.clock.now = FakeClock::At(2025, 3, 14, 10, 30, 0);
    }

    // After the specific rules of a test: the first matching rule answers.
    void AnswerOtherUpdatesWithIp() { world.http.AnswerLine(kUpdatePage, "ip203.0.113.7"); }

    // The update requests made so far, reduced to their second-level labels.
    std::vector<std::string> SentDomains() const {
        std::vector<std::string> sent;
        for (const std::string& url : world.http.Requests()) {
            const auto at = url.find("&second=");
            if (url.find(kUpdatePage) != std::string::npos && at != std::string::npos)
                sent.push_back(url.substr(at + 8, url.find('&', at + 1) - at - 8));
        }
        return sent;
    }

    StopSignal cycleEnd;
};

TEST_F(UpdateThreadTest, StartPlaysTheCueAndForcesAFirstPassOverACurrentRecord) {
    AddDomain(1, "com", "example", "secret12");
    settings.WriteInt("numofdomains", 1);
    AnswerOtherUpdatesWithIp();
    WriteRecord("203.0.113.7", "10", "073", "2025");
    FakeSleeper sleeper(&cycleEnd, 3);
    CUpdateThread thread(ports, {}, &sleeper);
    thread.RunUpdateCycle();

    EXPECT_EQ(world.sound.Played(), (std::vector<std::string>{"INTROSOUND"}));
    EXPECT_EQ(SentDomains(), (std::vector<std::string>{"example"}));
    // The pass recorded the address for this hour: rest, then poll while nothing is due.
    EXPECT_EQ(sleeper.Pauses(), (Pauses{30000ms, 10000ms, 10000ms}));
    EXPECT_EQ(settings.ReadText("updatedip"), "203.0.113.7");
}

TEST_F(UpdateThreadTest, NoDomainsMeansNoRequestAndARestAfterEachDecision) {
    FakeSleeper sleeper(&cycleEnd, 3);
    CUpdateThread thread(ports, {}, &sleeper);
    thread.RunUpdateCycle();
    EXPECT_TRUE(world.http.Requests().empty());
    EXPECT_EQ(sleeper.Pauses(), (Pauses{30000ms, 30000ms, 30000ms}));
    EXPECT_EQ(settings.ReadText("updatedip"), "");
}

TEST_F(UpdateThreadTest, IncompleteEntriesAreSkippedAndTheRestSentInOrder) {
    AddDomain(1, "com", "alpha", "secret12");
    AddDomain(2, "net", "beta", "");
    AddDomain(3, "org", "gamma", "secret34");
    AddDomain(4, "", "delta", "secret56");
    settings.WriteInt("numofdomains", 7);
    AnswerOtherUpdatesWithIp();
    CUpdateThread thread(ports);
    const PassReport report = thread.RunOnce();
    EXPECT_EQ(SentDomains(), (std::vector<std::string>{"alpha", "gamma"}));
    EXPECT_EQ(report.sent, 2);
    EXPECT_EQ(report.registered, 2);
    EXPECT_EQ(report.failed, 0);
}

TEST_F(UpdateThreadTest, ReportCountsAnswersThatRegisterNothingAsFailed) {
    AddDomain(1, "com", "alpha", "secret12");
    AddDomain(2, "com", "beta", "secret12");
    AddDomain(3, "com", "gamma", "secret12");
    settings.WriteInt("numofdomains", 3);
    world.http.Answer("second=alpha", {false, ""});
    world.http.AnswerLine("second=beta", "success");
    AnswerOtherUpdatesWithIp();
    const PassReport report = CUpdateThread(ports).RunOnce();
    EXPECT_EQ(report.sent, 3);
    EXPECT_EQ(report.registered, 1);
    EXPECT_EQ(report.failed, 2);
}

TEST_F(UpdateThreadTest, MethodIsReadForEveryDomainAndDetectionRunsPerDomain) {
    AddDomain(1, "com", "alpha", "secret12");
    AddDomain(2, "com", "beta", "secret12");
    AddDomain(3, "com", "gamma", "secret12");
    settings.WriteInt("numofdomains", 3);
    settings.WriteInt("one", 198);
    settings.WriteInt("two", 51);
    settings.WriteInt("three", 100);
    settings.WriteInt("four", 1);
    world.http.AnswerLine("ipcheck", "ip203.0.113.7");
    // The user switches methods while the pass runs: later domains see the change.
    world.http.onRequest = [this](const std::string& url) {
        if (url.find("second=alpha") != std::string::npos)
            settings.WriteInt("ipmethod", 2);
        if (url.find("second=beta") != std::string::npos)
            settings.WriteInt("ipmethod", 3);
    };
    CUpdateThread(ports).RunOnce();
    const std::string server = "http://" + std::string(kTestServer);
    const std::vector<std::string> requests = world.http.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].find("ip_address"), std::string::npos);
    EXPECT_EQ(requests[1], server + "/premium/ipcheck.asp");
    EXPECT_NE(requests[2].find("second=beta&password=secret12&ip_address=203.0.113.7"), std::string::npos);
    EXPECT_NE(requests[3].find("second=gamma&password=secret12&ip_address=198.51.100.1"), std::string::npos);
}

TEST_F(UpdateThreadTest, DomainNumbersStopAt999) {
    AddDomain(999, "com", "last", "secret12");
    AddDomain(1000, "com", "beyond", "secret12");
    settings.WriteInt("numofdomains", 1000);
    CUpdateThread(ports).RunOnce();
    EXPECT_EQ(SentDomains(), (std::vector<std::string>{"last"}));
    const std::vector<std::string> log = world.notices.Exchanges();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                            [](const std::string& line) { return line.find("999") != std::string::npos; }));
}

TEST_F(UpdateThreadTest, MessageFromOneDomainHoldsTheRestOfThePass) {
    AddDomain(1, "com", "alpha", "wrongpw1");
    AddDomain(2, "com", "beta", "secret12");
    settings.WriteInt("numofdomains", 2);
    world.http.AnswerLine("second=alpha", "wrongpassword");
    AnswerOtherUpdatesWithIp();
    std::promise<void> shown;
    std::promise<void> closed;
    std::shared_future<void> closedFuture = closed.get_future().share();
    world.notices.onMessage = [&](const std::string&) {
        shown.set_value();
        closedFuture.wait_for(10s);
    };
    CUpdateThread thread(ports);
    auto pass = std::async(std::launch::async, [&thread] { return thread.RunOnce(); });

    ASSERT_EQ(shown.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_EQ(SentDomains(), (std::vector<std::string>{"alpha"}));
    closed.set_value();
    ASSERT_EQ(pass.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(SentDomains(), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(pass.get().registered, 1);
}

TEST_F(UpdateThreadTest, StopRaisedDuringAPassEndsItBeforeTheNextDomain) {
    AddDomain(1, "com", "alpha", "secret12");
    AddDomain(2, "com", "beta", "secret12");
    AddDomain(3, "com", "gamma", "secret12");
    settings.WriteInt("numofdomains", 3);
    CUpdateThread thread(ports);
    world.http.onRequest = [&thread](const std::string&) { thread.RequestStop(); };
    const PassReport report = thread.RunOnce();
    EXPECT_EQ(SentDomains(), (std::vector<std::string>{"alpha"}));
    EXPECT_EQ(report.failed, 1);
}

TEST_F(UpdateThreadTest, SessionThatCannotBeOpenedIsTriedAgainBeforeEachPass) {
    AddDomain(1, "com", "alpha", "secret12");
    settings.WriteInt("numofdomains", 1);
    world.http.failOpen = true;
    FakeSleeper sleeper(&cycleEnd, 3);
    int rests = 0;
    sleeper.onSleep = [&](std::chrono::milliseconds) {
        if (++rests == 2)
            world.http.failOpen = false;
    };
    CUpdateThread thread(ports, {}, &sleeper);
    thread.RunUpdateCycle();

    // Start and the first two passes find no session; the third sends.
    EXPECT_EQ(SentDomains(), (std::vector<std::string>{"alpha"}));
    EXPECT_EQ(world.http.SessionsOpened(), 1);
    // Reported once for the whole run of failures, not at every attempt.
    const std::vector<std::string> log = world.notices.Exchanges();
    EXPECT_EQ(
        std::count_if(log.begin(), log.end(),
                      [](const std::string& line) { return line.find("no internet session") != std::string::npos; }),
        1);
}

TEST_F(UpdateThreadTest, PassWithoutSessionReportsEveryDomainFailed) {
    AddDomain(1, "com", "alpha", "secret12");
    AddDomain(2, "com", "beta", "secret12");
    settings.WriteInt("numofdomains", 2);
    world.http.failOpen = true;
    const PassReport report = CUpdateThread(ports).RunOnce();
    EXPECT_TRUE(world.http.Requests().empty());
    EXPECT_EQ(report.sent, 2);
    EXPECT_EQ(report.failed, 2);
}

TEST(UpdateThreadEntryTest, NullParameterEndsAtOnceWithOne) {
    EXPECT_EQ(UpdateThreadEntry(nullptr), 1u);
}

// Real waiting from here on: these measure how fast a stop takes effect.
class UpdateThreadStopTest : public UpdateThreadTest {
protected:
    // Runs the cycle with a real sleeper on its own thread, raises the stop once `ready` holds, and returns how
    // long the thread took to end.
    template <typename Ready> std::chrono::steady_clock::duration StopWhen(Ready ready, CycleTiming timing = {}) {
        CUpdateThread thread(ports, timing);
        UpdateThreadRunner runner(thread);
        runner.Start();
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!ready() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        EXPECT_TRUE(ready());
        std::this_thread::sleep_for(50ms);
        const auto asked = std::chrono::steady_clock::now();
        runner.Stop();
        return std::chrono::steady_clock::now() - asked;
    }
};

TEST_F(UpdateThreadStopTest, StopWakesTheRest) {
    EXPECT_LT(StopWhen([this] { return !world.sound.Played().empty(); }), 1s);
}

TEST_F(UpdateThreadStopTest, StopWakesThePoll) {
    AddDomain(1, "com", "alpha", "secret12");
    settings.WriteInt("numofdomains", 1);
    AnswerOtherUpdatesWithIp();
    // A short rest after the first pass; then nothing is due and the thread polls.
    EXPECT_LT(StopWhen([this] { return !world.http.Requests().empty(); }, {10000ms, 1ms}), 1s);
    EXPECT_EQ(world.http.Requests().size(), 1u);
}

TEST_F(UpdateThreadStopTest, StopCancelsAStalledRequest) {
    AddDomain(1, "com", "alpha", "secret12");
    settings.WriteInt("numofdomains", 1);
    world.http.stallUntilStopped = true;
    EXPECT_LT(StopWhen([this] { return !world.http.Requests().empty(); }), 1s);
    EXPECT_TRUE(settings.ReadText("updatedip").empty());
}

} // namespace
} // namespace zelto::enginetest
