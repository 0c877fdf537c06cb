// --autostart on|off, as a user runs it, on folders of the test's own.
#include "cli/Autostart.h"
#include "ChildRun.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace zelto {
namespace {

namespace fs = std::filesystem;

// desktop-file-validate's complaints about the file; "" when it has none or the tool is not installed.
std::string DesktopFileProblems(const fs::path& entry) {
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        return "";
    const std::string report = entry.string() + ".validate";
    const int status = std::system(("desktop-file-validate '" + entry.string() + "' > '" + report + "' 2>&1").c_str());
    const std::string problems = testing::FileText(report);
    return status != 0 && problems.empty() ? "desktop-file-validate failed" : problems;
}

class AutostartTest : public ::testing::Test {
protected:
    fakes::TempDir dir;
    fs::path home = dir.File("home");
    fs::path config = dir.File("config");
    fs::path dataHome = dir.File("data-home");
    fs::path dataDirs[2] = {dir.File("data1"), dir.File("data2")};
    fs::path entry = config / "autostart" / "zelto-premium.desktop";
    std::vector<std::string> env = {"HOME=" + home.string(), "XDG_CONFIG_HOME=" + config.string(),
                                    "XDG_DATA_HOME=" + dataHome.string(),
                                    "XDG_DATA_DIRS=" + dataDirs[0].string() + ":" + dataDirs[1].string()};

    struct Run {
        int exitCode;
        std::string out;
        std::string err;
    };

    Run Autostart(const std::vector<std::string>& args) {
        static int runs = 0;
        const fs::path out = dir.File("run" + std::to_string(++runs) + ".out");
        const fs::path err = out.string() + ".err";
        std::vector<std::string> argv{ZELTO_PREMIUM_EXE};
        argv.insert(argv.end(), args.begin(), args.end());
        const int code = testing::RunChild(argv, env, dir.Path(), out, err);
        return {code, testing::FileText(out), testing::FileText(err)};
    }

    static void Install(const fs::path& dataFolder, const std::string& text) {
        fs::create_directories(dataFolder / "applications");
        std::ofstream(dataFolder / "applications" / "zelto-premium.desktop") << text;
    }
};

TEST_F(AutostartTest, OnCopiesTheInstalledEntryFoundFirstAndOffRemovesIt) {
    const std::string own = *AutostartEntryText(std::nullopt, std::nullopt);
    const struct {
        const char* name;
        bool inDataHome;
        bool inSecondDataDir;
        std::string expected;
    } cases[] = {
        {"nothing installed: an entry of its own", false, false, own},
        {"installed under a data dir", false, true, "[Desktop Entry]\nName=from data2\n"},
        {"the user's own data folder comes first", true, true, "[Desktop Entry]\nName=from data home\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dataHome);
        fs::remove_all(dataDirs[1]);
        if (c.inDataHome)
            Install(dataHome, "[Desktop Entry]\nName=from data home\n");
        if (c.inSecondDataDir)
            Install(dataDirs[1], "[Desktop Entry]\nName=from data2\n");

        Run run = Autostart({"--autostart", "on"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "Autostart on: " + entry.string() + "\n");
        EXPECT_EQ(testing::FileText(entry), c.expected);

        run = Autostart({"--autostart", "off"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "Autostart off: removed " + entry.string() + "\n");
        EXPECT_FALSE(fs::exists(entry));
    }
    const Run again = Autostart({"--autostart", "off"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, "Autostart off: there was no " + entry.string() + "\n");

    // The entry of its own is one a desktop accepts.
    EXPECT_NE(own.find("\nExec=zelto-premium\n"), std::string::npos) << own;
    fs::remove_all(dataHome);
    fs::remove_all(dataDirs[1]);
    ASSERT_EQ(Autostart({"--autostart", "on"}).exitCode, 0);
    EXPECT_EQ(DesktopFileProblems(entry), "");
}

TEST_F(AutostartTest, WithoutAnAbsoluteConfigHomeTheEntryGoesUnderHome) {
    for (const std::string& variable :
         {std::string("XDG_CONFIG_HOME=relative/config"), std::string("XDG_CONFIG_HOME")}) {
        SCOPED_TRACE(variable);
        env[1] = variable;
        const Run run = Autostart({"--autostart", "on"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(fs::exists(home / ".config/autostart/zelto-premium.desktop"));
        fs::remove_all(home);
    }
}

TEST_F(AutostartTest, AGivenSettingsFileIsPassedOnTheExecLine) {
    Install(dataDirs[0], "[Desktop Entry]\nType=Application\nName=Zelto\nExec=zelto-premium\nActions=Other;\n\n"
                         "[Desktop Action Other]\nName=Other\nExec=other\n");
    // Relative to where the command ran; the desktop starts the client elsewhere.
    const Run run = Autostart({"--settings", "my settings/$HOME \"100%\".INI", "--autostart", "on"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(testing::FileText(entry),
              "[Desktop Entry]\nType=Application\nName=Zelto\nExec=zelto-premium --settings \"" + dir.Path().string() +
                  "/my settings/\\\\$HOME \\\\\"100%%\\\\\".INI\"\nActions=Other;\n\n[Desktop Action "
                  "Other]\nName=Other\nExec=other\n");
    EXPECT_EQ(DesktopFileProblems(entry), "");
}

TEST_F(AutostartTest, ExecArgumentsFollowTheDesktopEntryQuotingRules) {
    const struct {
        const char* path;
        std::optional<std::string> exec;
    } cases[] = {
        {"/plain/ZeltoPre.INI", "Exec=zelto-premium --settings \"/plain/ZeltoPre.INI\""},
        {"/back\\slash", "Exec=zelto-premium --settings \"/back\\\\\\\\slash\""},
        {"/tick`and$dollar", "Exec=zelto-premium --settings \"/tick\\\\`and\\\\$dollar\""},
        {"/line\nbreak", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::optional<std::string> text = AutostartEntryText(std::nullopt, fs::path(c.path));
        ASSERT_EQ(text.has_value(), c.exec.has_value());
        if (text) {
            EXPECT_NE(text->find("\n" + *c.exec + "\n"), std::string::npos) << *text;
        }
    }
}

TEST_F(AutostartTest, RefusalsAndUsageErrorsLeaveNoEntry) {
    fs::create_directories(config);
    std::ofstream(config / "autostart") << "a file where the folder belongs";
    const Run blocked = Autostart({"--autostart", "on"});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_TRUE(blocked.err.starts_with("zelto-premium: could not write " + entry.string() + ": ")) << blocked.err;
    fs::remove(config / "autostart");

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--autostart"}, {"--autostart", "yes"}, {"--autostart", "on", "now"}}) {
        const Run run = Autostart(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("--autostart takes on or off"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(config / "autostart"));
}

} // namespace
} // namespace zelto
