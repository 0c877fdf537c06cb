// The executable's update commands against the local service emulator.
#include "CliFixture.h"
#include "ServiceEmulator.h"

#include <csignal>
#include <thread>

namespace zelto {
namespace {

using namespace std::chrono_literals;

class HeadlessTest : public testing::CliTest {
protected:
    emulator::ServiceEmulator service{emulator::Options{0, std::chrono::seconds(60), "", false}};

    void SetUp() override {
        service.AddAccount({"example", "com", "Secret12"});
        SettingsFile settings(path);
        settings.WriteText("updateserver", service.HostPort());
        settings.WriteText("website", service.HostPort());
    }

    void Domain(const std::string& second, const std::string& first, const std::string& password) {
        ASSERT_EQ(Cli({"domain", "add", second, first, password}).exitCode, 0);
    }

    std::string UpdateUrl(const std::string& second) {
        return "http://" + service.HostPort() + "/premium/update.asp?first=com&second=" + second + "&password=***";
    }
};

TEST_F(HeadlessTest, OnceRegistersTheAddressAndExitsZero) {
    Domain("example", "com", "Secret12");
    const testing::Finished run = Cli({"--once"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(WithoutTimestamps(run.out),
              "Zelto Premium Online! IP Address->127.0.0.1\n" + UpdateUrl("example") + " -> ip127.0.0.1\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Setting("updatedip"), "127.0.0.1");
    EXPECT_EQ(service.RegisteredAddress("example.com"), "127.0.0.1");
}

TEST_F(HeadlessTest, OnceTellsAWrongPasswordOnStderrAndExitsOne) {
    Domain("example", "com", "Secret12");
    Domain("example", "com", "Wrong123");
    const testing::Finished run = Cli({"--once"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(WithoutTimestamps(run.err), "zelto-premium: Password for domain *.example.com is incorrect! Please "
                                          "enter the correct password in properties!\n");
    EXPECT_NE(run.out.find(UpdateUrl("example") + " -> wrongpassword\n"), std::string::npos) << run.out;
}

TEST_F(HeadlessTest, OnceWithNothingToSendSaysSoAndExitsZero) {
    const testing::Finished run = Cli({"--once"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "No Domains Loaded!\n");
    EXPECT_EQ(service.Requests(), 0);
}

TEST_F(HeadlessTest, OnceWithoutAnAnswerExitsOne) {
    Domain("example", "com", "Secret12");
    emulator::Fault fault;
    fault.kind = emulator::Fault::Kind::CloseWithoutAnswer;
    service.SetFault(fault);
    const testing::Finished run = Cli({"--once"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(WithoutTimestamps(run.out), UpdateUrl("example") + " -> no answer\n");
    EXPECT_EQ(Setting("updatedip"), "");
}

TEST_F(HeadlessTest, HeadlessEndsCleanlyWithinASecondOfTheSignal) {
    Domain("example", "com", "Secret12");
    const struct {
        const char* name;
        int signal;
        bool stalled; // the signal comes while a request waits for its answer
    } cases[] = {{"SIGTERM while resting", SIGTERM, false},
                 {"SIGINT while resting", SIGINT, false},
                 {"SIGTERM during a request", SIGTERM, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emulator::Fault fault;
        if (c.stalled) {
            fault.kind = emulator::Fault::Kind::Delay;
            fault.delay = 20s;
        }
        service.SetFault(fault);
        const int before = service.Connections();
        testing::Subprocess client(Command(path, {"--headless"}), dir.Path());
        if (c.stalled) {
            for (int i = 0; i < 200 && service.Connections() == before; ++i)
                std::this_thread::sleep_for(10ms);
        } else {
            ASSERT_TRUE(client.WaitForOutput(" -> ip127.0.0.1\n", 10s));
        }
        const auto signalled = std::chrono::steady_clock::now();
        client.Signal(c.signal);
        const std::optional<testing::Finished> run = client.Wait(1s);
        ASSERT_TRUE(run.has_value());
        EXPECT_LT(std::chrono::steady_clock::now() - signalled, 1s);
        EXPECT_EQ(run->exitCode, 0);
        EXPECT_EQ(run->signal, 0);
    }
}

TEST_F(HeadlessTest, ForceUpdateTellsWhetherTheServiceAcceptedTheDomains) {
    Domain("example", "com", "Secret12");
    testing::Finished run = Cli({"force-update"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Fresh IP update will occur in a few moments!\n");

    Domain("unknown", "com", "Secret12");
    emulator::Fault fault;
    fault.kind = emulator::Fault::Kind::CloseWithoutAnswer;
    service.SetFault(fault);
    run = Cli({"force-update"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Fresh IP update could not complete!\n");
}

TEST_F(HeadlessTest, NoRunOfTheEngineShowsThePassword) {
    Domain("example", "com", "Secret12");
    Domain("example", "com", "Wrong123");
    std::string everything;
    // Usage errors too: a password typed in the wrong place is never quoted back.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--once"},
                                                 {"force-update"},
                                                 {"status"},
                                                 {"domain", "list"},
                                                 {"domain", "add", "example", "com", "Secret12", "extra"},
                                                 {"domain", "add", "Secret12"},
                                                 {"domain", "remove", "example", "com", "Secret12x"}}) {
        const testing::Finished run = Cli(args);
        everything += run.out + run.err;
    }
    testing::Subprocess headless(Command(path, {"--headless"}), dir.Path());
    ASSERT_TRUE(headless.WaitForOutput("wrongpassword", 10s));
    headless.Signal(SIGTERM);
    const std::optional<testing::Finished> run = headless.Wait(2s);
    ASSERT_TRUE(run.has_value());
    everything += run->out + run->err;

    EXPECT_NE(everything.find("password=***"), std::string::npos);
    EXPECT_EQ(everything.find("Secret12"), std::string::npos) << everything;
    EXPECT_EQ(everything.find("Wrong123"), std::string::npos) << everything;
}

} // namespace
} // namespace zelto
