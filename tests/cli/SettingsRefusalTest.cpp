// Settings files the executable must refuse at once (exit 1, a message naming the file), and what it does to
// the files it does use: private modes, owners, no lock file for a reader. The owners' case needs root, as the
// tests run in CI.

#include "CliFixture.h"
#include "cli/CommandLine.h"
#include "cli/OstreamConsoleStream.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace zelto::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::StartsWith;
using SettingsRefusalTest = CliTest;

constexpr uid_t kOtherUser = 65534;
const std::string kSection = "[Zelto Systems Premium]\n";

// The permission bits and the owner of `file`, of the link itself when it is one.
std::pair<mode_t, uid_t> ModeAndOwner(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(::lstat(file.c_str(), &info), 0) << file;
    return {info.st_mode & 07777, info.st_uid};
}

// A file that is there but cannot be read, is too large, or holds a count beyond the client's limit, stops every
// command: nothing falls back to the built-in server or to an empty list. Unreadable means another user's
// private file, so root reads it as nobody. Which files the settings refuse is SettingsFileSafetyTest's.
TEST_F(SettingsRefusalTest, UnreadableOrImpossibleSettingsStopEveryCommand) {
    const std::string unreadable = "could not read FILE: Permission denied";
    const std::string tooLarge = ", too large for a settings file";
    const std::string tooMany = " in FILE is above the client's limit of 999; correct or remove it";
    const struct {
        std::string content; // empty: a file of another user, mode 0600
        std::vector<std::string> args;
        int exitCode;
        std::string problem; // on standard error, or in check's line
    } cases[] = {
        {"", {"status"}, 1, unreadable},
        {"", {"check"}, 3, unreadable},
        {kSection + "numofdomains=99999999999\n", {"domain", "list"}, 1, "numofdomains" + tooMany},
        {kSection + "numofignoreip=2000000000\n", {"check"}, 3, "numofignoreip" + tooMany},
        {kSection + "numofdomains=100000\n", {"--once"}, 1, "numofdomains" + tooMany},
        {kSection + std::string(2 << 20, ';'), {"method", "server"}, 1, "FILE is larger than 1 MiB" + tooLarge},
    };
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    // nobody may not reach the build folder (a checkout in a private folder): it runs a copy from here.
    const fs::path copy = dir.File("zelto-premium");
    fs::copy_file(program, copy);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.content.substr(0, 60));
        const bool ofAnother = c.content.empty();
        fakes::WriteFile(path, ofAnother ? kSection + "numofdomains=1\n" : c.content);
        ASSERT_EQ(::chmod(path.c_str(), ofAnother && !root ? 0 : 0600), 0);
        runAs.clear();
        if (ofAnother && root)
            runAs = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        program = runAs.empty() ? fs::path(ZELTO_PREMIUM_EXE) : copy;
        const Finished run = Cli(c.args, 10s);
        const std::string problem = std::regex_replace(c.problem, std::regex("FILE"), path.string());
        EXPECT_EQ(std::pair(run.exitCode, run.All()),
                  std::pair(c.exitCode, c.exitCode == 3 ? "ZELTO UNKNOWN - " + problem + "\n"
                                                        : "zelto-premium: " + problem + "\n"));
    }
}

// A link of the user's own (or root's) is where the user keeps the file: it is followed, and stays a link.
TEST_F(SettingsRefusalTest, OwnLinkIsFollowedAndKept) {
    const fs::path target = dir.File("elsewhere/ZeltoPre.INI");
    fs::create_directory(target.parent_path());
    fakes::WriteFile(target, kSection);
    fs::create_symlink(target, path);
    Expect({"domain", "add", "example", "com", "secret1"}, 0, "Domain example.com loaded.\n");
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(SettingsFile(target).ReadText("second_level1"), "example");
}

TEST_F(SettingsRefusalTest, ReadersMakeNoLockFileAndWritersLeaveTheFilePrivate) {
    fakes::WriteFile(path, kSection + "numofdomains=0\n");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    for (const auto& args : {std::vector<std::string>{"status"}, {"domain", "list"}, {"ignore", "list"}})
        EXPECT_EQ(Cli(args).exitCode, 0);
    EXPECT_FALSE(fs::exists(path.string() + ".lock")) << "a reader made the lock file";
    const std::string shown = "Settings file: " + path.string();
    EXPECT_THAT(Cli({"status"}).out, StartsWith(shown + " (readable by other users until the next change)\n"));
    EXPECT_EQ(Cli({"method", "both"}).exitCode, 0);
    for (const fs::path& file : {path, fs::path(path.string() + ".lock")})
        EXPECT_EQ(ModeAndOwner(file).first, 0600u) << file;
    EXPECT_THAT(Cli({"status"}).out, StartsWith(shown + "\n"));
}

// The system service's folder, configured by an admin with sudo: the service must still write afterwards.
TEST_F(SettingsRefusalTest, RootWritingInAnotherUsersFolderLeavesTheFilesToThatUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    const fs::path folder = dir.File("service");
    fs::create_directory(folder);
    ASSERT_EQ(::chown(folder.c_str(), kOtherUser, kOtherUser), 0);
    path = folder / "ZeltoPre.INI";
    Expect({"domain", "add", "example", "com", "secret1"}, 0, "Domain example.com loaded.\n");
    for (const fs::path& file : {path, fs::path(path.string() + ".lock")})
        EXPECT_EQ(ModeAndOwner(file), std::pair(mode_t{0600}, kOtherUser)) << file;
}

// Root without --settings while the system service has its file: a configuring command is told which file
// the service reads and configures nothing; a reading one reads root's own, and says so while that is missing.
// Run in-process with the service's file in the test's folder.
TEST_F(SettingsRefusalTest, RootIsToldWhichFileTheServiceReads) {
    const fs::path service = dir.File("service.INI");
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    const fs::path own = dir.Path() / "zelto-premium" / "ZeltoPre.INI";
    const std::string refused = "zelto-premium: the system service reads " + service.string() +
                                ", not root's own file " + own.string() + "; give --settings ";
    const std::string pointed = "zelto-premium: read root's own file " + own.string() +
                                ", which does not exist; the system service reads " + service.string() +
                                ": give --settings " + service.string() + " for it\n";
    const struct {
        std::vector<std::string> words;
        bool serviceFile; // whether the service has its file
        int exitCode;
        std::string err; // its start; empty: nothing
    } cases[] = {
        {{"domain", "add", "example", "com", "secret1"}, true, 1, refused},
        {{"status"}, true, 0, pointed},
        {{"status"}, false, 0, ""},
        {{"--settings", own.string(), "method", "server"}, true, 0, ""},
        {{"method", "server"}, false, 0, ""},
        {{"status"}, true, 0, ""}, // root's own file exists now
    };
    for (auto c : cases) {
        c.words.insert(c.words.begin(), "zelto-premium");
        std::vector<char*> argv;
        for (std::string& word : c.words)
            argv.push_back(word.data());
        std::ostringstream out, err;
        OstreamConsoleStream outStream(out), errStream(err);
        FrontEndHooks hooks;
        hooks.systemServiceSettings = [&] { return c.serviceFile ? std::optional(service) : std::nullopt; };
        hooks.out = &outStream;
        hooks.err = &errStream;
        EXPECT_EQ(RunCommandLine(static_cast<int>(argv.size()), argv.data(), hooks), c.exitCode) << c.words[1];
        EXPECT_EQ(err.str().substr(0, c.err.empty() ? std::string::npos : c.err.size()), c.err) << c.words[1];
    }
    EXPECT_EQ(SettingsFile(own).ReadText("second_level1"), "") << "configured though refused";
    ::unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace zelto::testing
