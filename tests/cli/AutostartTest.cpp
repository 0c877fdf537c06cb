// --autostart on|off on folders of the test's own.
#include "CliFixture.h"

namespace zelto {
namespace {

// The entry starts the program that wrote it, here the one in the build tree, which is not on PATH.
const std::string kProgram = ZELTO_PREMIUM_EXE;

class AutostartTest : public testing::CliTest {
protected:
    std::filesystem::path entry = dir.File("config/autostart/zelto-premium.desktop");

    AutostartTest() {
        path.clear();
        env = {"HOME=" + dir.File("home").string(), "XDG_CONFIG_HOME=" + dir.File("config").string(),
               "XDG_DATA_HOME=" + dir.File("data-home").string(),
               "XDG_DATA_DIRS=" + dir.File("data1").string() + ":" + dir.File("data2").string()};
    }
    void Install(const std::string& dataFolder, const std::string& text) {
        std::filesystem::create_directories(dir.File(dataFolder + "/applications"));
        std::ofstream(dir.File(dataFolder + "/applications/zelto-premium.desktop")) << text;
    }
};

TEST_F(AutostartTest, OnCopiesTheInstalledEntryFoundFirstOffRemovesItAndFailuresAreTold) {
    // Under a data dir, then also in the user's own data folder, which comes first.
    for (const std::string installIn : {"data2", "data-home"}) {
        Install(installIn, "[Desktop Entry]\nName=" + installIn + "\nExec=zelto-premium\n");
        EXPECT_EQ(Cli({"--autostart", "on"}).out, "Autostart on: " + entry.string() + "\n");
        EXPECT_EQ(fakes::ReadFile(entry), "[Desktop Entry]\nName=" + installIn + "\nExec=\"" + kProgram + "\"\n");
        EXPECT_EQ(Cli({"--autostart", "off"}).out, "Autostart off: removed " + entry.string() + "\n");
    }

    std::filesystem::remove(dir.File("config/autostart"));
    std::ofstream(dir.File("config/autostart")) << "a file where the folder belongs";
    const testing::Finished run = Cli({"--autostart", "on"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.starts_with("zelto-premium: could not write " + entry.string() + ": ")) << run.err;
}

TEST_F(AutostartTest, AGivenSettingsFileIsPassedQuotedOnTheExecLine) {
    Install("data1", "[Desktop Entry]\nName=Zelto\nExec=zelto-premium\nTryExec=zelto-premium\n\n"
                     "[Desktop Action Other]\nExec=other\n");
    // Relative to where the command ran; the desktop starts the client elsewhere.
    EXPECT_EQ(Cli({"--settings", "my settings/$HOME \"100%\" \\.INI", "--autostart", "on"}).exitCode, 0);
    const std::string settings = dir.Path().string() + R"(/my settings/\\$HOME \\"100%%\\" \\\\.INI)";
    EXPECT_EQ(fakes::ReadFile(entry), "[Desktop Entry]\nName=Zelto\nExec=\"" + kProgram + "\" --settings \"" +
                                          settings + "\"\nTryExec=" + kProgram +
                                          "\n\n[Desktop Action Other]\nExec=other\n");
    // A line break would end the Exec line and start a key of the caller's choosing: refused, and the entry
    // written before stays.
    const std::string before = fakes::ReadFile(entry);
    Expect({"--settings", "/line\nbreak", "--autostart", "on"}, 1, "",
           "zelto-premium: the settings path cannot be written on the autostart entry's command line\n");
    EXPECT_EQ(fakes::ReadFile(entry), before);
}

} // namespace
} // namespace zelto
