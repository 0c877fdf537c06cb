// The executable's update commands against the local service emulator.
#include "CliFixture.h"
#include "ServiceEmulator.h"

#include <gmock/gmock.h>

#include <fstream>

#include <sys/stat.h>

namespace zelto {
namespace {

using namespace std::chrono_literals;
using ::testing::AllOf, ::testing::EndsWith, ::testing::HasSubstr, ::testing::MatchesRegex, ::testing::Not,
    ::testing::Pair, ::testing::StartsWith;

const std::string kWrongPassword =
    "zelto-premium: Password for domain *.example.com is incorrect! Enter the correct one with: zelto-premium domain "
    "password example com\n";

class HeadlessTest : public testing::CliTest {
protected:
    emulator::ServiceEmulator service{emulator::Options{0, 60s, "", false}};
    std::string url = "http://" + service.HostPort() + "/premium/update.asp?first=com&second=example&password=***";

    void SetUp() override {
        service.AddAccount({"example", "com", "Secret12"});
        ASSERT_TRUE(
            SettingsFile(path).WriteTexts({{"updateserver", service.HostPort()}, {"website", service.HostPort()}}));
        ASSERT_EQ(Cli({"domain", "add", "example", "com", "Secret12"}).exitCode, 0);
    }
};

// A file of the original client: labels and password in Windows-1252. The service gets those bytes.
TEST_F(HeadlessTest, TheOriginalClientsSingleByteTextIsSentAsStored) {
    service.AddAccount({"M\xfcller", "com", "p\xe4ss1234"});
    ASSERT_TRUE(SettingsFile(path).WriteTexts({{"second_level1", "M\xfcller"}, {"password1", "p\xe4ss1234"}}));
    EXPECT_EQ(Cli({"--once"}).exitCode, 0);
    EXPECT_EQ(service.RegisteredAddress("M\xfcller.com"), "127.0.0.1");
}

TEST_F(HeadlessTest, AWrongPasswordIsToldOnStderrAndOnlyTheJournalStreamCarriesPriorities) {
    Cli({"domain", "add", "example", "com", "Wrong123"}); // in place of the right one
    // systemd names the journal's stream by "device:inode": here standard error's file.
    std::ofstream(err).flush();
    struct stat info {};
    stat(err.c_str(), &info);
    env = {"JOURNAL_STREAM=" + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino)};
    testing::Finished run = Cli({"--once"});
    EXPECT_EQ(std::tie(run.exitCode, run.err), std::tuple(1, "<4>" + kWrongPassword));
    EXPECT_THAT(run.out, AllOf(Not(StartsWith("<")), EndsWith(" " + url + " -> wrongpassword\n")));
}

// From a timer behind a router, --once sends only what is due: two runs send one update (the second asks the
// address check), and a refused password once; later runs name the paused domain and do not claim success,
// and status shows it paused until the entry is entered again.
TEST_F(HeadlessTest, OnceSendsOnlyWhatIsDueAndARefusedPasswordOnce) {
    service.SetPublicAddress("198.51.100.4");
    service.AddAccount({"other", "com", "Right123"});
    Cli({"domain", "add", "other", "com", "Wrong123"});
    const int before = service.Requests();
    const testing::Finished first = Cli({"--once"}), second = Cli({"--once"});
    Cli({"--once"}); // within five minutes of the second's address check
    EXPECT_EQ(service.Requests() - before, 3);
    EXPECT_EQ(service.RegisteredAddress("example.com"), "198.51.100.4");
    EXPECT_EQ(std::tie(first.exitCode, second.exitCode), std::tuple(1, 1));
    EXPECT_THAT(second.err, StartsWith("other.com: paused, the service refused the password ("));
    EXPECT_THAT(Cli({"status"}).out, HasSubstr("other.com: paused, "));
    EXPECT_EQ(StatusJson()["domains"][1]["last_outcome"]["result"], "wrongpassword");

    Cli({"domain", "remove", "other", "com", "Wrong123"});
    Cli({"domain", "add", "other", "com", "Right123"});
    EXPECT_EQ(Cli({"status"}).out.find("paused"), std::string::npos);
}

// A wait after failures is a state: --once inside it sends nothing and says so, status and status --json
// show it with the domain's last failure (check: StatusReportTest), and the user's fix (here the update server,
// set right) ends it at once.
TEST_F(HeadlessTest, AWaitAfterFailuresShowsEverywhereUntilTheUsersFixEndsIt) {
    Cli({"server", "127.0.0.1:1"});
    EXPECT_EQ(Cli({"--once"}).exitCode, 1);
    const testing::Finished waiting = Cli({"--once"});
    EXPECT_EQ(waiting.exitCode, 1);
    EXPECT_THAT(waiting.err, MatchesRegex("zelto-premium: Waiting after failures: 1 failed pass, at [^\n]*no answer "
                                          "\\(connection refused\\); the next try is due at [^\n]*; "
                                          "zelto-premium --once --force sends now\n"));
    // The message's line as status shows it: on a line of its own, without the program's name.
    const std::string waitLine = std::string("\n").append(waiting.err, 15);
    EXPECT_THAT(Cli({"status"}).out,
                AllOf(HasSubstr(waitLine),
                      HasSubstr("\nexample.com: the last update failed, no answer (connection refused) (")));
    const auto status = StatusJson();
    const auto wait = status["failure_wait"], last = status["domains"][0]["last_outcome"];
    EXPECT_EQ(std::tuple(wait["failures"], wait["last_failure"]["reason"], wait["next_try"].is_string()),
              std::tuple(1, "connection refused", true));
    EXPECT_EQ(std::tuple(last["result"], last["reason"], last["time"].is_string()),
              std::tuple("noanswer", "connection refused", true));

    Cli({"server", service.HostPort()});
    EXPECT_EQ(Cli({"--once"}).exitCode, 0);
    EXPECT_EQ(service.RegisteredAddress("example.com"), "127.0.0.1");
    EXPECT_TRUE(StatusJson()["failure_wait"].is_null());
    EXPECT_EQ(StatusJson()["domains"][0]["last_outcome"]["result"], "registered");
    EXPECT_EQ(Cli({"status"}).out.find("the last update failed"), std::string::npos);
    Expect({"force-update"}, 0, "Fresh IP update will occur in a few moments!\n");
}

// A registration the file cannot take is no success, and a later status or check still tells it (from the note
// in the user's state folder) until a record is written.
TEST_F(HeadlessTest, ARegistrationThatCouldNotBeRecordedIsToldUntilARecordIsWritten) {
    env = {"XDG_STATE_HOME=" + dir.File("state").string()};
    // Every write of the file fails: its temporary file's name is taken by a folder.
    const std::filesystem::path blocker = path.string() + ".tmp";
    std::filesystem::create_directory(blocker);
    EXPECT_EQ(Cli({"--once"}).exitCode, 1);
    const std::string said = "registered 127.0.0.1 at ";
    const std::string why = ", but it could not be recorded: could not write " + path.string();
    EXPECT_THAT(Cli({"status"}).out, AllOf(HasSubstr("\nUnrecorded registration: " + said), HasSubstr(why)));
    const testing::Finished check = Cli({"check"});
    EXPECT_THAT(std::pair(check.exitCode, check.out), Pair(1, StartsWith("ZELTO WARNING - example.com: " + said)));
    EXPECT_EQ(StatusJson()["unrecorded_registration"]["address"], "127.0.0.1");

    std::filesystem::remove(blocker);
    EXPECT_EQ(Cli({"--once", "--force"}).exitCode, 0);
    EXPECT_TRUE(StatusJson()["unrecorded_registration"].is_null());
    // The record is current, but the start cannot empty it: that write failed too.
    std::filesystem::create_directory(blocker);
    EXPECT_EQ(Cli({"--once", "--force"}).exitCode, 1);
}

// A second client would send every update twice: it is refused at once, naming the running one, while the
// configuration commands go on beside it. A daemon started before any domain was added says once what it waits
// for.
TEST_F(HeadlessTest, ASecondClientIsRefusedNamingTheFirstWhichSaysOnceThatItWaitsForADomain) {
    Cli({"domain", "clear"});
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    const pid_t first = Start({"--headless"}, ends[1]);
    close(ends[1]);
    FILE* said = fdopen(ends[0], "r");
    char line[256] = "";
    EXPECT_NE(std::fgets(line, sizeof line, said), nullptr); // the lock is held once it speaks
    EXPECT_STREQ(line, "No Domains Loaded! Waiting for one: zelto-premium domain add DOMAIN TOPLEVEL adds it.\n");

    const testing::Finished second = Cli({"--once"}, 5s);
    EXPECT_THAT(std::pair(second.exitCode, second.err), Pair(1, HasSubstr("process " + std::to_string(first))));
    EXPECT_EQ(Cli({"status"}).exitCode, 0);
    kill(first, SIGTERM);
    EXPECT_EQ(Wait(first, 10s).exitCode, 0);
    EXPECT_EQ(std::fgets(line, sizeof line, said), nullptr) << "said again: " << line;
    std::fclose(said);
    EXPECT_EQ(service.Requests(), 0);
}

// The hook runs once per change of the registered address, across runs of the client, not on a refresh of
// the same address, and status tells the last run; one that others could replace cannot be set.
TEST_F(HeadlessTest, TheHookRunsOncePerAddressChange) {
    const std::filesystem::path hook = dir.File("hook.sh"), record = dir.File("record");
    fakes::WriteFile(hook, "#!/bin/sh\necho \"$1|$2|$ZELTO_ADDRESS|$ZELTO_PREVIOUS_ADDRESS|$ZELTO_DOMAINS\" >>" +
                               record.string() + "\necho said\n");
    std::filesystem::permissions(hook, std::filesystem::perms::owner_all);
    Expect({"hook", "set", hook.string()}, 0, "Hook: " + hook.string() + "\n");
    for (const char* address : {"203.0.113.1", "203.0.113.1", "203.0.113.2"}) {
        ASSERT_EQ(Cli({"method", "fixed", address}).exitCode, 0);
        EXPECT_EQ(Cli({"--once"}).exitCode, 0) << address;
    }
    const std::string twice = "203.0.113.1||203.0.113.1||example.com\n"
                              "203.0.113.2|203.0.113.1|203.0.113.2|203.0.113.1|example.com\n";
    EXPECT_EQ(fakes::ReadFile(record), twice);
    EXPECT_EQ(StatusJson()["hook"]["last_run"]["result"], "done");

    std::filesystem::permissions(hook, std::filesystem::perms::others_write, std::filesystem::perm_options::add);
    const testing::Finished set = Cli({"hook", "set", hook.string()});
    EXPECT_THAT(std::pair(set.exitCode, set.err),
                Pair(1, StartsWith("zelto-premium: hook not set: refused: " + hook.string() +
                                   " must belong to this user or root")));
}

// An entry with an empty value is not sent, but named on stderr, and --once does not claim success: neither
// when no domain is configured at all.
TEST_F(HeadlessTest, OnceNamesIncompleteEntriesAndExitsOne) {
    ASSERT_TRUE(SettingsFile(path).WriteTexts({{"password1", ""}}));
    testing::Finished run = Cli({"--once"});
    EXPECT_EQ(std::tie(run.exitCode, run.err), std::tuple(1, "Domain entry 1 is incomplete and was skipped.\n"));
    EXPECT_EQ(service.Requests(), 0);
    Cli({"domain", "clear"});
    run = Cli({"--once"});
    EXPECT_EQ(std::tie(run.exitCode, run.err), std::tuple(1, "No Domains Loaded!\n"));
}

} // namespace
} // namespace zelto
