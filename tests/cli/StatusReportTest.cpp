// status --json and check, as a script or a monitoring system runs them.
#include "CliFixture.h"
#include "schema/ClientSettings.h"
#include "schema/UpdateRecord.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace zelto {
namespace {

using StatusReportTest = testing::CliTest;
using ::testing::AllOf, ::testing::HasSubstr;

const std::string kOneDomain = "[Zelto Systems Premium]\nnumofdomains=1\n";

std::string Entry(int n, const std::string& domain, const std::string& topLevel) {
    const std::string i = std::to_string(n);
    return "first_level" + i + "=" + topLevel + "\nsecond_level" + i + "=" + domain + "\npassword" + i + "=secret1\n";
}

// Whatever bytes the file holds, the output is JSON, and a label that is not UTF-8 reads back as Windows-1252.
TEST_F(StatusReportTest, StatusJsonIsValidForEveryFileTheClientAccepts) {
    std::string everyByte;
    for (int byte = 1; byte < 256; ++byte)
        everyByte += byte == '\n' || byte == '\r' ? ' ' : static_cast<char>(byte);
    std::vector<std::pair<std::string, std::string>> files = {
        {"Windows-1252", kOneDomain + Entry(1, "zo\xeb", "\x80\x81")},
        {"every byte", kOneDomain + "updateserver=" + everyByte.substr(0, 60) + "\n" +
                           Entry(1, everyByte, everyByte.substr(128)) + "ignoreip1=" + everyByte.substr(60, 60) +
                           "\nnumofignoreip=1\nupdatedip=" + everyByte.substr(190) + "\n"},
    };
    for (const auto& entry : std::filesystem::directory_iterator(ZELTO_SETTINGS_CORPUS))
        files.emplace_back(entry.path().filename().string(), fakes::ReadFile(entry.path()));
    for (const auto& [name, content] : files) {
        fakes::WriteFile(path, content);
        const testing::Finished run = Cli({"status", "--json"});
        ASSERT_EQ(run.exitCode, 0) << name << run.err;
        // Escaped to ASCII: the same bytes through any console code page.
        EXPECT_TRUE(std::ranges::all_of(run.out, [](unsigned char c) { return c < 0x80; })) << name;
        const auto status = nlohmann::json::parse(run.out, nullptr, false);
        EXPECT_FALSE(status.is_discarded()) << name << ": " << run.out.substr(0, 400);
    }
    fakes::WriteFile(path, files.front().second);
    EXPECT_EQ(StatusJson()["domains"][0]["name"], "zo\xc3\xab.\xe2\x82\xac\xc2\x81");
}

// The registration to the second when this client made the record (updatedtime beside the hour), the hour
// when another client wrote the record since the time this client kept.
TEST_F(StatusReportTest, TheLastRegistrationIsShownToTheSecondWhenThisClientMadeIt) {
    env = {"TZ=UTC"};
    const std::string record = "[Zelto Systems Premium]\nnumofdomains=0\nupdatedip=203.0.113.7\nupdatedhour=14\n"
                               "updatedday=060\nupdatedyear=2024\nupdatedtime=";
    fakes::WriteFile(path, record + "1709216103\n"); // 14:15:03 on a leap year's day 60
    EXPECT_EQ(StatusJson()["last_registration"]["time"], "2024-02-29T14:15:03");
    EXPECT_THAT(Cli({"status"}).out,
                HasSubstr("\nLast registration: 203.0.113.7 on 2024-02-29 at 14:15:03 local time\n"));
    fakes::WriteFile(path, record + "1709208903\n"); // 12:15:03: the record is newer
    EXPECT_EQ(StatusJson()["last_registration"]["time"], "2024-02-29T14:00");
    EXPECT_THAT(Cli({"status"}).out,
                HasSubstr("\nLast registration: 203.0.113.7 on 2024-02-29, 14:00-14:59 local time\n"));
}

// What the engine does, not what the dialog would show: a method number it does not know detects on the client
// side; an entry repeated (in any letter case) by an older version is sent again, and named.
TEST_F(StatusReportTest, StatusShowsTheEnginesMethodAndRepeatedEntries) {
    fakes::WriteFile(path, "[Zelto Systems Premium]\nipmethod=7\nnumofdomains=2\n" + Entry(1, "ex", "com") +
                               Entry(2, "EX", "Com"));
    const auto status = StatusJson();
    EXPECT_EQ(std::tuple(status["address_method"], status["domains"][0]["copy_of"], status["domains"][1]["copy_of"]),
              std::tuple("client", nullptr, 1));
    EXPECT_THAT(Cli({"status"}).out, AllOf(HasSubstr("\nEX.Com is listed again as entry 2 (first as entry 1)"),
                                           HasSubstr("\nAddress method: client ")));
}

// The four states of a monitoring plugin, each with its one line on standard output.
TEST_F(StatusReportTest, CheckExitsAsMonitoringPluginsDo) {
    const auto record = [](std::time_t when) {
        const LocalStamp stamp = FormatLocalStamp(when);
        return "updatedip=203.0.113.7\nupdatedhour=" + stamp.hour + "\nupdatedday=" + stamp.day +
               "\nupdatedyear=" + stamp.year + "\n";
    };
    const std::string two =
        "[Zelto Systems Premium]\nnumofdomains=2\n" + Entry(1, "example", "com") + Entry(2, "myhome", "net");
    const std::time_t now = std::time(nullptr);
    const std::string refused =
        "paused2=" + FormatPause({Refusal::WrongPassword, now}, {"myhome", "net", "secret1"}) + "\n";
    const struct {
        const char* name;
        std::string content;
        int exitCode;
        std::string starts;
        bool waiting = false; // a wait after failures holds
    } cases[] = {
        {"registered this hour", two + record(now), 0, "ZELTO OK - example.com, myhome.net registered 203.0.113.7 at "},
        {"registered in the previous hour", two + record(now - 3600), 0, "ZELTO OK - "},
        {"registered three hours ago", two + record(now - 3 * 3600), 1, "ZELTO WARNING - "},
        {"never registered", two, 1, "ZELTO WARNING - "},
        {"paused, though registered this hour", two + record(now) + refused, 2, "ZELTO CRITICAL - myhome.net paused: "},
        {"waiting after failures, registered this hour", two + record(now), 1,
         "ZELTO WARNING - example.com, myhome.net: waiting after failures: 2 failed passes in a row", true},
        {"waiting after failures, registered three hours ago", two + record(now - 3 * 3600), 2, "ZELTO CRITICAL - ",
         true},
        {"no domain", "[Zelto Systems Premium]\n" + record(now), 2, "ZELTO CRITICAL - no domain is configured"},
    };
    for (const auto& c : cases) {
        fakes::WriteFile(path, c.content);
        if (c.waiting) {
            SettingsFile file(path);
            ClientSettings settings(file);
            settings.WriteFailureWait({2, now + 60, {RequestResult::NoAnswer, HttpFailure::TimedOut, 0, now}},
                                      settings.RequestsFingerprint());
        }
        const testing::Finished run = Cli({"check"});
        // One line, ending the output.
        EXPECT_EQ(std::tuple(run.exitCode, run.out.substr(0, c.starts.size()), run.out.find('\n')),
                  std::tuple(c.exitCode, c.starts, run.out.size() - 1))
            << c.name << ": " << run.out;
    }
}

} // namespace
} // namespace zelto
