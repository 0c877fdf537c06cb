// SettingsFile on POSIX systems: locking across processes, access lists, inode reuse, failing writes.

#include "InChild.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace zelto {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

using fakes::ReadFile;
using fakes::WriteFile;

using testing::InChild;

class PosixSettingsFileTest : public ::testing::Test {
protected:
    fakes::TempDir dir_;
    fs::path path_ = dir_.File("ZeltoPre.INI");
};

// True once `pid` waits for a file lock another holds, as the kernel lists it in /proc/locks ("->").
bool WaitsForALock(pid_t pid) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, arrow, kind, mode, access, owner;
        if (fields >> number >> arrow >> kind >> mode >> access >> owner && arrow == "->" &&
            owner == std::to_string(pid))
            return true;
    }
    return false;
}

// Another process reading during a locked change of two keys waits for the lock, then sees both.
TEST_F(PosixSettingsFileTest, LockedChangeIsSeenWhole) {
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t reader = ::fork();
    if (reader == 0) {
        ::close(go[1]);
        char byte = 0;
        if (::read(go[0], &byte, 1) != 1)
            ::_exit(2);
        const SettingsFile other(path_);
        const int count = other.ReadInt("numofdomains", 0);
        ::_exit(count == 1 && other.ReadText("first_level1") == "com" ? 0 : 1);
    }
    int status = 0;
    bool ended = false;
    {
        SettingsFile writer(path_);
        const SettingsFile::ChangeLock lock(writer);
        ASSERT_TRUE(writer.WriteText("first_level1", "com"));
        ASSERT_EQ(::write(go[1], "g", 1), 1);
        for (const auto end = std::chrono::steady_clock::now() + 30s;
             !WaitsForALock(reader) && !(ended = ::waitpid(reader, &status, WNOHANG) == reader) &&
             std::chrono::steady_clock::now() < end;)
            std::this_thread::sleep_for(1ms);
        EXPECT_FALSE(ended) << "the read did not wait for the locked change";
        const SettingsFile::ChangeLock again(writer); // re-entrant for this thread
        ASSERT_TRUE(writer.WriteInt("numofdomains", 1));
    }
    if (!ended) {
        ASSERT_EQ(::waitpid(reader, &status, 0), reader);
    }
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << "1: the read saw half of the change";
}

// Renames by others, twice between reads, of files alike in size and time: a disk reuses freed inode numbers.
TEST(SettingsOnDisk, ReadSeesEveryForeignChange) {
    ::setenv("TMPDIR", "/var/tmp", 1); // tmpfs never reuses inode numbers
    const fakes::TempDir dir;
    const auto path = dir.File("ZeltoPre.INI");
    const auto temp = dir.File("foreign.tmp");
    std::set<ino_t> numbers; // of every file written so far
    int reused = 0;          // files that got the number of one written before
    const auto foreignWrite = [&](int address) {
        WriteFile(temp, "[Zelto Systems Premium]\nupdatedip=10.0.0." + std::to_string(address) + "\n");
        const timespec stamp[2] = {{1700000000, 0}, {1700000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, temp.c_str(), stamp, 0), 0);
        struct stat info {};
        ASSERT_EQ(::stat(temp.c_str(), &info), 0);
        reused += !numbers.insert(info.st_ino).second;
        fs::rename(temp, path);
    };
    SettingsFile settings(path);
    foreignWrite(99);
    EXPECT_EQ(settings.ReadText("updatedip"), "10.0.0.99");
    for (int i = 100; i < 200; ++i) {
        foreignWrite(999);
        foreignWrite(i);
        // A Lock scope looks at the file once: never what an earlier scope saw.
        const SettingsFile::Lock lock(settings);
        ASSERT_EQ(settings.ReadText("updatedip"), "10.0.0." + std::to_string(i));
        ASSERT_EQ(settings.ReadText("updatedip"), "10.0.0." + std::to_string(i));
    }
    if (reused == 0)
        GTEST_SKIP() << "the file system under /var/tmp never handed a freed inode number on, so the case "
                        "this test is about could not arise";
}

// Refused before it starts (no lock, no temporary file): SettingsFileSafetyTest and UpdateCycleTest.
TEST_F(PosixSettingsFileTest, AFailedWriteLeavesTheFileAsItWas) {
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
    EXPECT_EQ(ReadFile(path_), before);
    EXPECT_FALSE(fs::exists(path_.string() + ".tmp"));
}

// An administrator's access list (a backup user may read) outlives the write, but for everyone else's rights.
TEST_F(PosixSettingsFileTest, AWriteKeepsTheFilesAccessList) {
    // setfacl's form: version 2, then tag, rights and id per entry; entries that name no one have no id.
    static constexpr unsigned kNoId = 0xffffffff;
    const auto list = [](unsigned char other) {
        std::vector<unsigned char> bytes = {2, 0, 0, 0};
        for (const auto& [tag, rights, id] :
             {std::tuple{0x01, 6, kNoId}, std::tuple{0x02, 4, 4242u}, std::tuple{0x04, 0, kNoId},
              std::tuple{0x10, 4, kNoId}, std::tuple{0x20, int{other}, kNoId}})
            bytes.insert(bytes.end(), {static_cast<unsigned char>(tag), 0, static_cast<unsigned char>(rights), 0,
                                       static_cast<unsigned char>(id), static_cast<unsigned char>(id >> 8),
                                       static_cast<unsigned char>(id >> 16), static_cast<unsigned char>(id >> 24)});
        return bytes;
    };
    SettingsFile settings(path_);
    ASSERT_TRUE(settings.WriteText("password1", "secret"));
    const std::vector<unsigned char> given = list(4);
    if (::setxattr(path_.c_str(), "system.posix_acl_access", given.data(), given.size(), 0) != 0)
        GTEST_SKIP() << "no access lists on this file system: " << std::strerror(errno);
    ASSERT_TRUE(settings.WriteText("password1", "changed"));
    std::vector<unsigned char> kept(given.size() + 8);
    const ssize_t size = ::getxattr(path_.c_str(), "system.posix_acl_access", kept.data(), kept.size());
    kept.resize(static_cast<std::size_t>(std::max<ssize_t>(size, 0)));
    EXPECT_EQ(kept, list(0));
    EXPECT_TRUE(settings.ReadableByOthers()) << "the backup user may read it";
}

} // namespace
} // namespace zelto
