// The executable's log lines under systemd: priorities on the stream that is the journal, the local time
// elsewhere.
#include "ChildRun.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace zelto {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class JournalTest : public ::testing::Test {
protected:
    fakes::TempDir dir;
    std::filesystem::path settingsPath = dir.File("ZeltoPre.INI");
    emulator::ServiceEmulator service{emulator::Options{0, std::chrono::seconds(60), "", false}};

    // One domain that registers and one with a wrong password, for a line of each priority.
    void SetUp() override {
        service.AddAccount({"example", "com", "Secret12"});
        SettingsFile settings(settingsPath);
        settings.WriteText("updateserver", service.HostPort());
        settings.WriteText("website", service.HostPort());
        const char* passwords[] = {"Secret12", "Wrong123"};
        for (int n = 1; n <= 2; ++n) {
            settings.WriteText(IndexedKey("first_level", n), "com");
            settings.WriteText(IndexedKey("second_level", n), "example");
            settings.WriteText(IndexedKey("password", n), passwords[n - 1]);
        }
        settings.WriteInt("numofdomains", 2);
    }

    // --once with the given files as standard output and error, and JOURNAL_STREAM naming `journal`.
    int Once(const std::filesystem::path& out, const std::filesystem::path& err, const std::filesystem::path& journal) {
        std::ofstream(out).flush();
        std::ofstream(err).flush();
        return testing::RunChild({ZELTO_PREMIUM_EXE, "--settings", settingsPath.string(), "--once"},
                                 {"JOURNAL_STREAM=" + testing::StreamId(journal)}, dir.Path(), out, err);
    }
};

TEST_F(JournalTest, OnlyTheStreamThatIsTheJournalCarriesPriorities) {
    const std::filesystem::path out = dir.File("out");
    const std::filesystem::path err = dir.File("err");
    EXPECT_EQ(Once(out, err, err), 1);

    EXPECT_EQ(testing::FileText(err), "<4>zelto-premium: Password for domain *.example.com is incorrect! Please "
                                      "enter the correct password in properties!\n");
    const std::vector<std::string> lines = Lines(testing::FileText(out));
    ASSERT_EQ(lines.size(), 3u) << testing::FileText(out);
    const std::regex stamped(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} [^<].*)");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, stamped)) << line;
}

TEST_F(JournalTest, OutputAndErrorInOneJournalStreamCarryAPriorityOnEveryLine) {
    const std::filesystem::path journal = dir.File("journal");
    EXPECT_EQ(Once(journal, journal, journal), 1);

    const std::string text = testing::FileText(journal);
    const std::string url = "http://" + service.HostPort() + "/premium/update.asp?first=com&second=example";
    const std::string expected[] = {
        "<6>Zelto Premium Online! IP Address->127.0.0.1",
        "<6>" + url + "&password=*** -> ip127.0.0.1",
        "<6>" + url + "&password=*** -> wrongpassword",
        "<4>zelto-premium: Password for domain *.example.com is incorrect! Please enter the correct password in "
        "properties!",
    };
    for (const std::string& line : expected)
        EXPECT_NE(text.find(line + "\n"), std::string::npos) << line << "\nin:\n" << text;
    EXPECT_EQ(Lines(text).size(), std::size(expected)) << text;
    EXPECT_EQ(text.find("Secret12"), std::string::npos);
    EXPECT_EQ(text.find("Wrong123"), std::string::npos);
}

} // namespace
} // namespace zelto
