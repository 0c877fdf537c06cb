// The update thread: start-up, passes and rests.

#include "EngineFixture.h"
#include "schema/ClientSettings.h"

namespace zelto::enginetest {
namespace {

using namespace std::chrono_literals;
using Pauses = std::vector<std::chrono::milliseconds>;
using UpdateCycleTest = CycleTest;

TEST_F(UpdateCycleTest, WithoutDomainsNothingIsSentAndEachDecisionIsFollowedByARest) {
    EXPECT_EQ(Run(90), (Pauses{30000ms, 30000ms, 30000ms}));
    EXPECT_TRUE(world.http.Requests().empty());
}

// A pass goes on past an incomplete entry, and stops at the stored count.
TEST_F(UpdateCycleTest, IncompleteEntriesAndIndexesAboveTheStoredOnesAreSkipped) {
    AddDomains({"alpha", "beta", "gamma"});
    settings.WriteText("password2", "");
    settings.WriteInt("numofdomains", 7);
    world.http.AnswerLine("update.asp", "ip203.0.113.7");
    EXPECT_EQ(UpdateCycle(ports).RunOnce().incomplete, (std::vector<int>{2, 4, 5, 6, 7}));
}

// An unusable file sends nothing, an unrecorded registration is no success; each told once while it lasts.
TEST_F(UpdateCycleTest, SettingsProblemsSendNothingOrFailThePassAndAreToldOnce) {
    AddDomains({"example"});
    world.http.AnswerLine("update.asp", "ip203.0.113.7");
    settings.WriteText("numofdomains", "100000");
    Run(90);
    EXPECT_TRUE(world.http.Requests().empty());
    ASSERT_EQ(world.notices.Messages().size(), 1u);
    EXPECT_NE(world.notices.Messages()[0].find("numofdomains in " + settings.Path().string()), std::string::npos);

    settings.WriteInt("numofdomains", 1);
    // Every write of the file fails: its temporary file's name is taken by a folder.
    std::filesystem::create_directory(settings.Path().string() + ".tmp");
    UpdateCycle cycle(ports);
    EXPECT_TRUE(cycle.RunOnce().unrecorded);
    EXPECT_TRUE(cycle.RunOnce().unrecorded);
    EXPECT_EQ(Times("second=example").size(), 2u);
    EXPECT_EQ(world.notices.Outcomes().back(), ExchangeOutcome::RecordNotWritten);
    ASSERT_EQ(world.notices.Messages().size(), 2u);
    EXPECT_TRUE(world.notices.Messages()[1].starts_with("could not write " + settings.Path().string()))
        << world.notices.Messages()[1];
}

// The update server and cafile are read once per pass: host and trust change together, at the next.
TEST_F(UpdateCycleTest, KeepsItsSessionUntilTheCaFileChangesAndItsServerForAPass) {
    AddDomains({"example", "other"});
    world.http.AnswerLine("update.asp", "ip203.0.113.7");
    UpdateCycle thread(ports);
    thread.RunOnce();
    world.http.onRequest = [&](const std::string&) { settings.WriteText("updateserver", "127.0.0.1:8"); };
    thread.RunOnce();
    settings.WriteText("cafile", "/etc/zelto-premium/ca.pem");
    thread.RunOnce();
    EXPECT_EQ(world.http.TrustOpened(), (std::vector<HttpTrust>{HttpTrust{}, HttpTrust{"/etc/zelto-premium/ca.pem"}}));
    EXPECT_EQ(world.http.SessionsClosed(), 1);
    EXPECT_EQ(world.http.Requests()[3].find("127.0.0.1:9/"), 7u) << world.http.Requests()[3];
    EXPECT_EQ(world.http.Requests()[4].find("127.0.0.1:8/"), 7u) << world.http.Requests()[4];
}

TEST_F(UpdateCycleTest, SessionThatCannotBeOpenedIsTriedAgainBeforeEachPass) {
    AddDomains({"alpha"});
    world.http.failOpen = true;
    Run(40, {}, [this](std::chrono::milliseconds) { world.http.failOpen = false; });
    // The pass after the first rest sends; it gets no answer, so the next comes after this run.
    EXPECT_EQ(Times("second=alpha").size(), 1u);
}

// The service is the same for every domain: a request without any answer ends the pass as failed.
TEST_F(UpdateCycleTest, ARequestWithoutAnyAnswerEndsThePass) {
    const struct {
        const char* name;
        const char* method;
        std::string rule; // the URL part answered with `fetch`; every other update registers
        HttpFetch fetch;
        std::size_t requests;
        bool waits;
    } cases[] = {
        {"time-out", "0", "second=beta", HttpFetch::Failed(HttpFailure::TimedOut), 2, true},
        {"address check refused", "2", "ipcheck", HttpFetch::Failed(HttpFailure::ConnectionRefused), 1, true},
        {"HTTP 500", "0", "second=beta", HttpFetch::Answered("", 500), 3, false},
    };
    for (const auto& c : cases) {
        fakes::FakeWorld run{settings};
        AddDomains({"alpha", "beta", "gamma"});
        settings.WriteText("ipmethod", c.method);
        settings.WriteText("retryafter", "");
        run.addresses.addresses = {"203.0.113.7"};
        run.http.Answer(c.rule, c.fetch);
        run.http.AnswerLine("", "ip203.0.113.7");
        UpdateCycle(run.ports).RunOnce();
        EXPECT_EQ(run.http.Requests().size(), c.requests) << c.name;
        EXPECT_EQ(ClientSettingsView(settings).StoredFailureWait().has_value(), c.waits) << c.name;
    }
}

} // namespace
} // namespace zelto::enginetest
