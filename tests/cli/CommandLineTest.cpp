#include "CliFixture.h"

namespace zelto {
namespace {

// Each test runs its commands in order on one settings file, like a user typing one after another.
using CommandLineTest = testing::CliTest;

TEST_F(CommandLineTest, DomainCommandsPrintTheStatusBoxTextAndTellRefusalsByExitCode) {
    Expect({"domain", "add", "", "", ""}, 1, "Invalid Domain Name!\n");
    Expect({"domain", "add", "example", "com", "secret1"}, 0, "Domain example.com loaded.\n");
    Expect({"domain", "add", "other", "net", "secret2"}, 0, "Domain example.com, other.net loaded.\n");
    Expect({"domain", "remove", "example", "Com", "secret1"}, 1, "Domain example.com, other.net loaded.\n",
           "zelto-premium: no domain entry is example.Com with that password\n");
    Expect({"domain", "remove", "example", "com", "secret1"}, 0, "Domain other.net loaded.\n");
    EXPECT_EQ(Setting("second_level1"), "other");
    Expect({"domain", "clear"}, 0, "No Domains Loaded!\n");
    Expect({"domain", "list"}, 0, "No Domains Loaded!\n");
}

TEST_F(CommandLineTest, IgnoreMethodAndStatusCommandsStoreAndShowWhatTheDialogsWould) {
    Expect({"ignore", "add", "010.001.0.1"}, 0, "Added 10.1.0.1 to the ignore list.\n");
    Expect({"ignore", "add", "192.168.1.1"}, 0, "Added 192.168.1.1 to the ignore list.\n");
    Expect({"ignore", "remove", "8.8.8.8"}, 1, "", "zelto-premium: 8.8.8.8 is not in the ignore list\n");
    Expect({"method", "fixed", "198.51.100.23"}, 0, "Address method: fixed (Use this IP Address), 198.51.100.23\n");
    Expect({"domain", "add", "example", "com", "secret1"}, 0, "Domain example.com loaded.\n");
    SettingsFile settings(path);
    for (const auto& [key, value] : {std::pair{"updatedip", "203.0.113.9"}, std::pair{"updatedhour", "07"},
                                     std::pair{"updatedday", "032"}, std::pair{"updatedyear", "2024"}})
        settings.WriteText(key, value);
    Expect({"status"}, 0,
           "Settings file: " + path.string() +
               "\nDomains: Domain example.com loaded.\nAddress method: fixed (Use this IP Address)\n"
               "Fixed address: 198.51.100.23\nIgnored addresses: 10.1.0.1, 192.168.1.1\n"
               "Last registration: 203.0.113.9 on 2024-02-01, 07:00-07:59 local time\n"
               "Update server: http://dynamic.zelto.com/\n");
    settings.WriteText("updateserver", "https://127.0.0.1:8443");
    settings.WriteText("cafile", "/etc/zelto-premium/ca.pem");
    Expect({"status"}, 0,
           "Settings file: " + path.string() +
               "\nDomains: Domain example.com loaded.\nAddress method: fixed (Use this IP Address)\n"
               "Fixed address: 198.51.100.23\nIgnored addresses: 10.1.0.1, 192.168.1.1\n"
               "Last registration: 203.0.113.9 on 2024-02-01, 07:00-07:59 local time\n"
               "Update server: https://127.0.0.1:8443/ (TLS, certificates from /etc/zelto-premium/ca.pem)\n");
    Expect({"method", "client"}, 0, "Address method: client (Detect IP on Client Side)\n");
    EXPECT_EQ(std::tuple(Setting("ipmethod"), Setting("updatedip"), Setting("one")), std::tuple("1", "", "198"));
}

// A usage error never repeats a word of the command line: a password typed in the wrong place would land in
// the terminal's or a log's history.
TEST_F(CommandLineTest, UsageErrorsExitTwoWithoutTouchingTheFileOrRepeatingAWord) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"s3cr3t!"},
                                                 {"domain", "add", "example"},
                                                 {"domain", "add", "example", "com", "s3cr3t!", "extra"},
                                                 {"domain", "s3cr3t!"},
                                                 {"ignore", "add", "s3cr3t!"},
                                                 {"ignore", "remove", "1.2.3.4", "5.6.7.8"},
                                                 {"method", "fixed", "s3cr3t!"},
                                                 {"--once", "s3cr3t!"},
                                                 {"--headless", "--once"},
                                                 {"--autostart", "yes"},
                                                 {"--settings"}}) {
        const testing::Finished run = Cli(args);
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_TRUE(run.err.starts_with("zelto-premium: ") && run.err.find("Usage:") != std::string::npos) << run.err;
        EXPECT_EQ(run.All().find("s3cr3t!"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
} // namespace zelto
