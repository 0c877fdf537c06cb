#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsTestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto {
namespace {

using testing::Bytes;
using testing::PutBytes;
namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// Runs body in a child process and returns its exit code: faults set up there (a lower user, a file size
// limit) stay there.
int InChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class SettingsFaults : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsFile settings(path_);
        ASSERT_TRUE(settings.WriteText("updatedip", "10.0.0.1"));
        ASSERT_TRUE(settings.WriteInt("numofdomains", 1));
        before_ = Bytes(path_);
    }

    // Whatever failed, the file is the one from before and nothing is left beside it.
    void ExpectUntouched() {
        EXPECT_EQ(Bytes(path_), before_);
        EXPECT_FALSE(fs::exists(path_.string() + ".tmp"));
        EXPECT_EQ(SettingsFile(path_).ReadText("updatedip"), "10.0.0.1");
    }

    fakes::TempDir dir_;
    fs::path path_ = dir_.File("ZeltoPre.INI");
    std::string before_;
};

TEST_F(SettingsFaults, WriteIntoReadOnlyFolderFailsAndKeepsTheFile) {
    // Root writes through permission bits, so the write runs as an ordinary user who may read the file
    // and take the lock, but not create anything in the folder.
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    fs::permissions(path_.string() + ".lock", fs::perms::owner_read | fs::perms::others_read);
    fs::permissions(dir_.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const bool root = ::geteuid() == 0;
    const int result = InChild([&] {
        if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            return 2;
        }
        SettingsFile settings(path_);
        if (settings.ReadText("updatedip") != "10.0.0.1") {
            return 3;
        }
        return settings.WriteText("updatedip", "10.0.0.2") ? 1 : 0;
    });
    EXPECT_EQ(result, 0) << "1: the write claimed success, 2: could not drop root, 3: could not read";
    ExpectUntouched();
}

TEST_F(SettingsFaults, WriteOnFullDiskFailsAndKeepsTheFile) {
    // A file size limit stops the temporary file half-way, as a full disk would.
    const int result = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 2;
        }
        return SettingsFile(path_).WriteText("password1", std::string(500, 'p')) ? 1 : 0;
    });
    EXPECT_EQ(result, 0);
    ExpectUntouched();
}

TEST_F(SettingsFaults, UnreadableFileIsNotOverwritten) {
    fs::remove(path_);
    fs::create_directory(path_);
    EXPECT_FALSE(SettingsFile(path_).WriteInt("numofdomains", 2));
    EXPECT_TRUE(fs::is_directory(path_));
}

TEST(SettingsFileMode, NewFileIsPrivateAndAnExistingFileKeepsModeAndOwner) {
    fakes::TempDir dir;
    const fs::path path = dir.File("ZeltoPre.INI");
    const mode_t oldMask = ::umask(0);
    SettingsFile settings(path);
    ASSERT_TRUE(settings.WriteText("password1", "secret"));
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(ModeOf(path.string() + ".lock"), 0600u);

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(settings.WriteText("password1", "changed"));
    EXPECT_EQ(ModeOf(path), 0640u);

    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        ASSERT_TRUE(settings.WriteText("password1", "again"));
        struct stat info {};
        ::stat(path.c_str(), &info);
        EXPECT_EQ(info.st_uid, kNobody) << "a root process handed the user's file to root";
        EXPECT_EQ(info.st_gid, kNobody);
    }
}

class DefaultPath : public ::testing::Test {
protected:
    void SetUp() override {
        Save("XDG_CONFIG_HOME", xdg_);
        Save("HOME", home_);
        ::setenv("HOME", "/home/ann", 1);
    }
    void TearDown() override {
        Restore("XDG_CONFIG_HOME", xdg_);
        Restore("HOME", home_);
    }

private:
    static void Save(const char* name, std::optional<std::string>& slot) {
        if (const char* value = std::getenv(name)) {
            slot = value;
        }
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot) {
            ::setenv(name, slot->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    std::optional<std::string> xdg_;
    std::optional<std::string> home_;
};

TEST_F(DefaultPath, FollowsXdgConfigHomeOnlyWhenAbsolute) {
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases = {
        {"/cfg", "/cfg/zelto-premium/ZeltoPre.INI"},
        {std::nullopt, "/home/ann/.config/zelto-premium/ZeltoPre.INI"},
        {"", "/home/ann/.config/zelto-premium/ZeltoPre.INI"},
        {"relative/cfg", "/home/ann/.config/zelto-premium/ZeltoPre.INI"},
    };
    for (const auto& [xdg, expected] : cases) {
        if (xdg) {
            ::setenv("XDG_CONFIG_HOME", xdg->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        EXPECT_EQ(DefaultSettingsPath(), fs::path(expected)) << xdg.value_or("(unset)");
    }
}

} // namespace
} // namespace zelto
