#include "CliFixture.h"

#include <gmock/gmock.h>

namespace zelto {
namespace {

using ::testing::AllOf, ::testing::EndsWith, ::testing::HasSubstr, ::testing::Not, ::testing::Pair,
    ::testing::StartsWith;

// Each test runs its commands in order on one settings file, like a user typing one after another.
using CommandLineTest = testing::CliTest;

TEST_F(CommandLineTest, IgnoreMethodAndStatusCommandsStoreAndShowWhatTheDialogsWould) {
    Expect({"ignore", "add", "010.001.0.1"}, 0, "Added 10.1.0.1 to the ignore list.\n");
    Expect({"ignore", "add", "192.168.1.1"}, 0, "Added 192.168.1.1 to the ignore list.\n");
    Expect({"ignore", "remove", "8.8.8.8"}, 1, "", "zelto-premium: 8.8.8.8 is not in the ignore list\n");
    Expect({"method", "fixed", "198.51.100.23"}, 0, "Address method: fixed (Use this IP Address), 198.51.100.23\n");
    Expect({"domain", "add", "example", "com", "secret1"}, 0, "Domain example.com loaded.\n");
    ASSERT_TRUE(SettingsFile(path).WriteTexts(
        {{"updatedip", "203.0.113.9"}, {"updatedhour", "07"}, {"updatedday", "032"}, {"updatedyear", "2024"}}));
    EXPECT_THAT(Cli({"status"}).out,
                AllOf(HasSubstr("\nFixed address: 198.51.100.23\nIgnored addresses: 10.1.0.1, 192.168.1.1\n"),
                      HasSubstr("\nLast registration: 203.0.113.9 on 2024-02-01, 07:00-07:59 local time\n")));
}

// An address no one can reach is not saved, and one a file already holds is not sent: status and check say why.
TEST_F(CommandLineTest, AFixedAddressNoOneCanReachIsNeitherSavedNorSent) {
    Expect({"domain", "add", "example", "com", "secret1"}, 0, "Domain example.com loaded.\n");
    for (const std::string address : {"0.0.0.0", "255.255.255.255", "127.0.0.1"})
        Expect({"method", "fixed", address}, 1, "",
               "zelto-premium: No one can reach IP Address " + address +
                   "! Please enter the public address your domains should point to.\n");
    EXPECT_EQ(Setting("ipmethod"), "");
    ASSERT_TRUE(SettingsFile(path).WriteTexts({{"ipmethod", "3"}, {"updateserver", "127.0.0.1:9"}}));
    EXPECT_THAT(Cli({"status"}).out, HasSubstr("\nFixed address: 0.0.0.0 (no one can reach it: nothing is sent)\n"));
    Expect({"check"}, 2, "ZELTO CRITICAL - the fixed address 0.0.0.0 is one no one can reach; nothing is sent\n");
    const testing::Finished once = Cli({"--once"});
    EXPECT_EQ(once.exitCode, 1);
    EXPECT_THAT(once.err, EndsWith(" zelto-premium: The fixed address 0.0.0.0 is one no one can reach; nothing is "
                                   "sent until another is saved.\n"));
}

// The service's keys are checked as a read of the file takes them; a refused value writes nothing.
TEST_F(CommandLineTest, ServiceCommandsStoreOnlyValuesTheClientCanUse) {
    const std::string pem = dir.File("ca.pem").string(), text = dir.File("ca.txt").string();
    fakes::WriteFile(pem, "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n");
    fakes::WriteFile(text, "not a certificate\n");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* key;
        std::string stored; // after the command
    } cases[] = {
        {{"server", "https://127.0.0.1:8443"}, 0, "updateserver", "https://127.0.0.1:8443"},
        {{"server", "ftp://127.0.0.1"}, 1, "updateserver", "https://127.0.0.1:8443"},
        {{"server", "host name"}, 1, "updateserver", "https://127.0.0.1:8443"},
        {{"server", "example.net:65536"}, 1, "updateserver", "https://127.0.0.1:8443"},
        {{"server", "a" + std::string(68, 'b') + ".net"}, 1, "updateserver", "https://127.0.0.1:8443"},
        {{"cafile", "ca.pem"}, 0, "cafile", pem}, // relative to the folder it was typed in
        {{"cafile", text}, 1, "cafile", pem},
        {{"cafile", dir.File("missing.pem").string()}, 1, "cafile", pem},
        {{"cafile", "none"}, 0, "cafile", ""},
        {{"server", "default"}, 0, "updateserver", ""},
        {{"website", "127.0.0.1:8080"}, 0, "website", "127.0.0.1:8080"},
    };
    for (const auto& c : cases) {
        const int exitCode = Cli(c.args).exitCode; // before the read
        EXPECT_EQ(std::pair(exitCode, Setting(c.key)), std::pair(c.exitCode, c.stored)) << c.args[1];
    }
}

// A usage error never repeats a word of the command line: a password typed in the wrong place would land in
// the terminal's or a log's history.
TEST_F(CommandLineTest, UsageErrorsExitTwoWithoutTouchingTheFileOrRepeatingAWord) {
    for (const char* line :
         {"s3cr3t!", "domain add example", "domain add example com s3cr3t! extra", "domain s3cr3t!",
          "ignore remove 1.2.3.4 5.6.7.8", "method fixed s3cr3t!", "--once s3cr3t!", "server",
          "domain password example com s3cr3t!", "--headless --once", "--autostart yes", "--settings"}) {
        const testing::Finished run = Cli(Words(line));
        EXPECT_THAT(std::pair(run.exitCode, run.err),
                    Pair(2, AllOf(StartsWith("zelto-premium: "), HasSubstr("Usage:"))));
        EXPECT_THAT(run.All(), Not(HasSubstr("s3cr3t!"))) << line;
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
} // namespace zelto
