// SettingsFile with files it must not use, the errors it reports and what a reader leaves behind.

#include "InChild.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelto {
namespace {

namespace fs = std::filesystem;

using fakes::ReadFile;
using fakes::WriteFile;
using testing::InChild;

constexpr uid_t kOtherUser = 65534;
const std::string kGood = "[Zelto Systems Premium]\nupdatedip=10.0.0.1\n";

class SettingsFileSafetyTest : public ::testing::Test {
protected:
    fakes::TempDir dir_;
    fs::path path_ = dir_.File("ZeltoPre.INI");
    fs::path lock_ = dir_.File("ZeltoPre.INI.lock");
    fs::path target_ = dir_.File("target");

    // kGood in `file`, and at `link` a link to target_ that another user owns.
    void GoodFileAndOthersLink(const fs::path& file, const fs::path& link) {
        WriteFile(file, kGood);
        fs::create_symlink(target_, link);
        ASSERT_EQ(::lchown(link.c_str(), kOtherUser, kOtherUser), 0);
    }
};

// Each reads as defaults, refuses writes, and reports the same problem before and after trying.
TEST_F(SettingsFileSafetyTest, UnusableFileReadsAsDefaultsAndIsNeverWritten) {
    struct Case {
        const char* name;
        std::function<void()> make;
        SettingsFault fault;
        fs::path named;
        bool needsRoot = false;
    };
    const Case cases[] = {
        {"fifo", [&] { ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0); }, SettingsFault::NotRegularFile, path_},
        {"folder", [&] { fs::create_directory(path_); }, SettingsFault::NotRegularFile, path_},
        // Never read, however it is reached: it would not end.
        {"own link to a device", [&] { fs::create_symlink("/dev/zero", path_); }, SettingsFault::NotRegularFile,
         "/dev/zero"},
        {"1 MiB and a byte", [&] { WriteFile(path_, kGood + std::string((1 << 20) + 1 - kGood.size(), ';')); },
         SettingsFault::TooLarge, path_},
        {"another user's link", [&] { GoodFileAndOthersLink(target_, path_); }, SettingsFault::LinkNotOwned, path_,
         true},
        {"another user's link as lock file", [&] { GoodFileAndOthersLink(path_, lock_); }, SettingsFault::LinkNotOwned,
         lock_, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && ::geteuid() != 0)
            continue;
        c.make();
        const bool lockCase = c.named == lock_;
        {
            SettingsFile settings(path_);
            const SettingsError found = settings.Check();
            EXPECT_EQ(found.fault, c.fault);
            EXPECT_EQ(found.file, c.named);
            EXPECT_EQ(settings.ReadText("updatedip"), lockCase ? "10.0.0.1" : "");
            EXPECT_FALSE(settings.WriteText("updatedip", "10.0.0.2"));
            EXPECT_EQ(settings.LastError().fault, c.fault);
            EXPECT_EQ(settings.LastError().file, c.named);
        }
        EXPECT_FALSE(fs::exists(target_) && ReadFile(target_) != kGood) << "written through a link";
        EXPECT_FALSE(fs::exists(dir_.File("ZeltoPre.INI.tmp")));
        std::error_code ignored;
        fs::remove_all(path_, ignored);
        fs::remove(lock_, ignored);
        fs::remove(target_, ignored);
    }
}

// A folder others may not write in: the error names the lock file a change or a write could not create, and why.
TEST_F(SettingsFileSafetyTest, LockThatCannotBeCreatedIsNamedWithItsReason) {
    WriteFile(path_, kGood);
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    fs::permissions(dir_.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const bool root = ::geteuid() == 0;
    EXPECT_EQ(InChild([&] {
                  if (root && (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0))
                      return 2;
                  SettingsFile settings(path_);
                  const auto lockRefused = [&] {
                      const SettingsError error = settings.LastError();
                      return error.fault == SettingsFault::LockFailed && error.file == lock_ &&
                             error.reason == std::errc::permission_denied;
                  };
                  if (const SettingsFile::ChangeLock change(settings); change)
                      return 3;
                  if (!lockRefused())
                      return 4;
                  if (settings.ReadText("updatedip") != "10.0.0.1" || settings.WriteText("updatedip", "x"))
                      return 3;
                  return lockRefused() ? 0 : 4;
              }),
              0)
        << "2 could not drop root, 3 lock, read or write went wrong, 4 wrong error";
    EXPECT_EQ(ReadFile(path_), kGood);
    EXPECT_FALSE(fs::exists(lock_));
}

} // namespace
} // namespace zelto
