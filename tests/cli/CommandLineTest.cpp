#include "CliFixture.h"

#include <span>

namespace zelto {
namespace {

struct Step {
    std::vector<std::string> args;
    int exitCode;
    const char* out;
    const char* err = "";
};

class CommandLineTest : public testing::CliTest {
protected:
    // The steps run in order on one settings file, like a user typing one command after another.
    void RunSteps(std::span<const Step> steps) {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.args[0] + " " + step.args[1] + (step.args.size() > 2 ? " " + step.args[2] : ""));
            const testing::Finished run = Cli(step.args);
            EXPECT_EQ(run.exitCode, step.exitCode);
            EXPECT_EQ(run.out, step.out);
            EXPECT_EQ(run.err, step.err);
        }
    }
};

TEST_F(CommandLineTest, DomainCommandsPrintTheStatusBoxTextAndTellRefusalsByExitCode) {
    const Step steps[] = {
        {{"domain", "list"}, 0, "No Domains Loaded!\n"},
        {{"domain", "add", "", "", ""}, 1, "Invalid Domain Name!\n"},
        {{"domain", "add", "example", "co uk", "secret1"}, 1, "Invalid Top Level\n"},
        {{"domain", "add", "example", "com", "12345"}, 1, "Password must be 6-8 characters!\n"},
        {{"domain", "add", "example", "com", "123456789"}, 1, "Password must be 6-8 characters!\n"},
        {{"domain", "add", "example", "com", "secret1"}, 0, "Domain example.com loaded.\n"},
        {{"domain", "add", "other", "net", "secret2"}, 0, "Domain example.com, other.net loaded.\n"},
        {{"domain", "remove", "example", "Com", "secret1"},
         1,
         "Domain example.com, other.net loaded.\n",
         "zelto-premium: no domain entry is example.Com with that password\n"},
        {{"domain", "remove", "example", "com", "secret1"}, 0, "Domain other.net loaded.\n"},
        {{"domain", "list"}, 0, "Domain other.net loaded.\n"},
        {{"domain", "clear"}, 0, "No Domains Loaded!\n"},
    };
    RunSteps(steps);
    EXPECT_EQ(Setting("second_level1"), "other");
}

TEST_F(CommandLineTest, IgnoreAndMethodCommandsStoreWhatTheDialogsWould) {
    const Step steps[] = {
        {{"ignore", "list"}, 0, ""},
        {{"ignore", "add", "010.001.0.1"}, 0, "Added 10.1.0.1 to the ignore list.\n"},
        {{"ignore", "add", "192.168.1.1"}, 0, "Added 192.168.1.1 to the ignore list.\n"},
        {{"ignore", "add", "10.1.0.1"}, 0, "Added 10.1.0.1 to the ignore list.\n"},
        {{"ignore", "remove", "10.1.0.1"}, 0, "Removed 10.1.0.1 from the ignore list.\n"},
        {{"ignore", "list"}, 0, "192.168.1.1\n10.1.0.1\n"},
        {{"ignore", "remove", "8.8.8.8"}, 1, "", "zelto-premium: 8.8.8.8 is not in the ignore list\n"},
        {{"method", "fixed", "198.51.100.23"}, 0, "Address method: fixed (Use this IP Address), 198.51.100.23\n"},
        {{"method", "client"}, 0, "Address method: client (Detect IP on Client Side)\n"},
    };
    RunSteps(steps);
    EXPECT_EQ(Setting("ignoreip1"), "192.168.1.1");
    EXPECT_EQ(Setting("ipmethod"), "1");
    EXPECT_EQ(Setting("ipaddress"), "");
    EXPECT_EQ(Setting("one"), "198");
    EXPECT_EQ(Setting("four"), "23");
}

TEST_F(CommandLineTest, UsageErrorsExitTwoWithoutTouchingTheFile) {
    const std::vector<std::string> cases[] = {
        {"bogus"},
        {"domain"},
        {"domain", "rename"},
        {"domain", "add", "example", "com"},
        {"domain", "add", "example", "com", "secret1", "extra"},
        {"domain", "list", "extra"},
        {"ignore"},
        {"ignore", "add"},
        {"ignore", "add", "1.2.3"},
        {"ignore", "add", "1.2.3.256"},
        {"ignore", "remove", "1.2.3.4", "5.6.7.8"},
        {"method"},
        {"method", "dynamic"},
        {"method", "fixed"},
        {"method", "fixed", "localhost"},
        {"method", "both", "1.2.3.4"},
        {"status", "extra"},
        {"force-update", "now"},
        {"--once", "extra"},
        {"--headless", "--once"},
        {"--settings"},
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : std::string()));
        const testing::Finished run = Cli(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("zelto-premium: ")) << run.err;
        EXPECT_NE(run.err.find("Usage:"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(path));

    const testing::Finished bad = Cli({"ignore", "add", "300.1.1.1"});
    EXPECT_NE(bad.err.find("'300.1.1.1'"), std::string::npos) << bad.err;
}

TEST_F(CommandLineTest, StatusShowsEverySettingButThePassword) {
    Cli({"domain", "add", "example", "com", "secret1"});
    Cli({"ignore", "add", "10.0.0.1"});
    Cli({"ignore", "add", "10.0.0.2"});
    Cli({"method", "fixed", "203.0.113.9"});
    {
        SettingsFile settings(path);
        settings.WriteText("updatedip", "203.0.113.9");
        settings.WriteText("updatedhour", "07");
        settings.WriteText("updatedday", "032");
        settings.WriteText("updatedyear", "2024");
    }
    const testing::Finished run = Cli({"status"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Settings file: " + path.string() +
                           "\n"
                           "Domains: Domain example.com loaded.\n"
                           "Address method: fixed (Use this IP Address)\n"
                           "Fixed address: 203.0.113.9\n"
                           "Ignored addresses: 10.0.0.1, 10.0.0.2\n"
                           "Last registration: 203.0.113.9 on 2024-02-01, 07:00-07:59 local time\n");
}

} // namespace
} // namespace zelto
