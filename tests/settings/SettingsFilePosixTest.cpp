// SettingsFile on POSIX systems: file modes and owners, inode reuse, failing writes.

#include "InChild.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelto {
namespace {

namespace fs = std::filesystem;

using fakes::ReadFile;
using fakes::WriteFile;

using testing::InChild;

class PosixSettingsFileTest : public ::testing::Test {
protected:
    fakes::TempDir dir_;
    fs::path path_ = dir_.File("ZeltoPre.INI");
};

// Other programs replace the file by rename, twice between two reads, with texts of the same size and time
// (as cp -p leaves them). A disk file system hands a freed inode number to the next file at once, so a
// reader that let its file go would take the third file for the first.
TEST(SettingsOnDisk, ReadSeesEveryForeignChange) {
    ::setenv("TMPDIR", "/var/tmp", 1); // tmpfs never reuses inode numbers
    const fakes::TempDir dir;
    const auto path = dir.File("ZeltoPre.INI");
    const auto temp = dir.File("foreign.tmp");
    const auto foreignWrite = [&](int address) {
        WriteFile(temp, "[Zelto Systems Premium]\nupdatedip=10.0.0." + std::to_string(address) + "\n");
        const timespec stamp[2] = {{1700000000, 0}, {1700000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, temp.c_str(), stamp, 0), 0);
        fs::rename(temp, path);
    };
    SettingsFile settings(path);
    foreignWrite(99);
    EXPECT_EQ(settings.ReadText("updatedip"), "10.0.0.99");
    for (int i = 100; i < 200; ++i) {
        foreignWrite(999);
        foreignWrite(i);
        // Inside a Lock scope reads skip the look at the file once they have seen it: never what an earlier
        // scope saw.
        const SettingsFile::Lock lock(settings);
        ASSERT_EQ(settings.ReadText("updatedip"), "10.0.0." + std::to_string(i));
        ASSERT_EQ(settings.ReadText("updatedip"), "10.0.0." + std::to_string(i));
    }
}

TEST_F(PosixSettingsFileTest, FailedWritesLeaveTheFileAsItWas) {
    ASSERT_TRUE(SettingsFile(path_).WriteText("updatedip", "10.0.0.1"));
    const std::string before = ReadFile(path_);
    // A file size limit stops the temporary file half-way, as a full disk would.
    EXPECT_EQ(InChild([&] {
                  ::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{64, 64};
                  return ::setrlimit(RLIMIT_FSIZE, &limit) != 0
                             ? 2
                             : SettingsFile(path_).WriteText("p", std::string(500, 'p'));
              }),
              0)
        << "full disk";
    // Root writes through permission bits, so the write runs as an ordinary user who may read the file and
    // take the lock, but not create anything in the folder.
    const auto readable = fs::perms::owner_read | fs::perms::others_read;
    fs::permissions(path_, readable | fs::perms::owner_write);
    fs::permissions(path_.string() + ".lock", readable);
    fs::permissions(dir_.Path(), readable | fs::perms::owner_exec | fs::perms::others_exec);
    const bool root = ::geteuid() == 0;
    EXPECT_EQ(InChild([&] {
                  if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                      return 2;
                  }
                  SettingsFile settings(path_);
                  return settings.ReadText("updatedip") != "10.0.0.1" ? 3 : settings.WriteText("updatedip", "x");
              }),
              0)
        << "read-only folder: 1 the write claimed success, 2 could not drop root, 3 could not read";
    EXPECT_EQ(ReadFile(path_), before);
    EXPECT_FALSE(fs::exists(path_.string() + ".tmp"));
}

// The file holds passwords: a copy arriving readable by others (as one from Windows does) is tightened by
// the first write.
TEST_F(PosixSettingsFileTest, EveryWriteLeavesTheFileToItsOwner) {
    const auto modeOf = [](const fs::path& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    };
    const mode_t oldMask = ::umask(0);
    SettingsFile settings(path_);
    ASSERT_TRUE(settings.WriteText("password1", "secret"));
    ::umask(oldMask);
    EXPECT_EQ(modeOf(path_), 0600u);
    EXPECT_FALSE(settings.ReadableByOthers());
    ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
    EXPECT_TRUE(settings.ReadableByOthers());
    ASSERT_TRUE(settings.WriteText("password1", "changed"));
    EXPECT_EQ(modeOf(path_), 0600u);
    EXPECT_FALSE(settings.ReadableByOthers());
}

} // namespace
} // namespace zelto
