#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsTestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;
using testing::PutBytes;

// Runs body in a child process, which ends with its result as exit code and never returns into the tests.
pid_t Spawn(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    return pid;
}

int ExitCodeOf(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Each writer adds its own keys; a write that reads the file before another writer's rename and writes
// after it loses the other's key.
int WriteKeys(const std::filesystem::path& path, const std::string& prefix, int count) {
    SettingsFile settings(path);
    for (int i = 1; i <= count; ++i) {
        if (!settings.WriteInt(IndexedKey(prefix, i), i)) {
            return 1;
        }
    }
    return 0;
}

int CountKeys(const SettingsFile& settings, const std::string& prefix, int count) {
    int found = 0;
    for (int i = 1; i <= count; ++i) {
        found += settings.ReadInt(IndexedKey(prefix, i), 0) == i ? 1 : 0;
    }
    return found;
}

class SettingsConcurrency : public ::testing::Test {
protected:
    fakes::TempDir dir_;
    std::filesystem::path path_ = dir_.File("ZeltoPre.INI");
};

TEST_F(SettingsConcurrency, TwoThreadsLoseNoWrite) {
    std::thread first([&] { EXPECT_EQ(WriteKeys(path_, "first", 1000), 0); });
    std::thread second([&] { EXPECT_EQ(WriteKeys(path_, "second", 1000), 0); });
    first.join();
    second.join();
    const SettingsFile settings(path_);
    EXPECT_EQ(CountKeys(settings, "first", 1000), 1000);
    EXPECT_EQ(CountKeys(settings, "second", 1000), 1000);
}

TEST_F(SettingsConcurrency, TwoProcessesLoseNoWrite) {
    // The parent's object already holds the lock file open; the children must not share its lock.
    SettingsFile settings(path_);
    ASSERT_TRUE(settings.WriteText("owner", "parent"));
    const pid_t first = Spawn([&] { return WriteKeys(path_, "first", 1000); });
    const pid_t second = Spawn([&] { return WriteKeys(path_, "second", 1000); });
    EXPECT_EQ(ExitCodeOf(first), 0);
    EXPECT_EQ(ExitCodeOf(second), 0);
    EXPECT_EQ(CountKeys(settings, "first", 1000), 1000);
    EXPECT_EQ(CountKeys(settings, "second", 1000), 1000);
    EXPECT_EQ(settings.ReadText("owner"), "parent");
}

TEST_F(SettingsConcurrency, LockedChangeIsSeenWhole) {
    SettingsFile writer(path_);
    SettingsFile reader(path_);
    std::atomic<bool> released = false;
    std::atomic<bool> readerStarted = false;
    int countSeen = -1;
    std::string nameSeen;
    std::thread readerThread;
    {
        SettingsFile::Lock lock(writer);
        writer.WriteText("second_level1", "example");
        readerThread = std::thread([&] {
            readerStarted = true;
            countSeen = reader.ReadInt("numofdomains", 0);
            nameSeen = reader.ReadText("first_level1");
            EXPECT_TRUE(released.load()) << "the read ran inside the locked change";
        });
        while (!readerStarted) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(50ms);
        SettingsFile::Lock again(writer); // re-entrant for this thread
        writer.WriteText("first_level1", "com");
        writer.WriteInt("numofdomains", 1);
        EXPECT_EQ(writer.ReadInt("numofdomains", 0), 1);
        released = true;
    }
    readerThread.join();
    EXPECT_EQ(countSeen, 1);
    EXPECT_EQ(nameSeen, "com");
}

TEST_F(SettingsConcurrency, LockShutsOutOtherProcesses) {
    SettingsFile settings(path_);
    ASSERT_TRUE(settings.WriteInt("numofdomains", 0));
    pid_t writer = 0;
    pid_t reader = 0;
    {
        SettingsFile::Lock lock(settings);
        settings.WriteText("first_level1", "com");
        writer = Spawn([&] { return SettingsFile(path_).WriteInt("numofdomains", 5) ? 0 : 1; });
        // The reader finds the file changed and must wait to read it until the change is whole.
        reader = Spawn([&] {
            const SettingsFile other(path_);
            const int count = other.ReadInt("numofdomains", -1);
            return (count == 1 || count == 5) && other.ReadText("first_level1") == "com" ? 0 : 1;
        });
        std::this_thread::sleep_for(150ms);
        EXPECT_EQ(::waitpid(writer, nullptr, WNOHANG), 0) << "the other process wrote through the lock";
        EXPECT_EQ(::waitpid(reader, nullptr, WNOHANG), 0) << "the other process read through the lock";
        EXPECT_EQ(settings.ReadInt("numofdomains", -1), 0);
        settings.WriteInt("numofdomains", 1);
    }
    EXPECT_EQ(ExitCodeOf(writer), 0);
    EXPECT_EQ(ExitCodeOf(reader), 0) << "the reader saw half of the change";
    EXPECT_EQ(settings.ReadInt("numofdomains", -1), 5);
}

TEST_F(SettingsConcurrency, LockFileRemovedOnTheWayStillExcludes) {
    SettingsFile settings(path_);
    ASSERT_TRUE(settings.WriteInt("numofdomains", 0));
    std::filesystem::remove(path_.string() + ".lock");
    pid_t writer = 0;
    {
        SettingsFile::Lock lock(settings);
        writer = Spawn([&] { return SettingsFile(path_).WriteInt("numofdomains", 5) ? 0 : 1; });
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(::waitpid(writer, nullptr, WNOHANG), 0) << "the other process wrote through the lock";
    }
    EXPECT_EQ(ExitCodeOf(writer), 0);
}

// Another writer replacing the file by rename, twice between two reads, with texts of the same size and
// the same modification time (as cp -p or rsync leave it). A disk file system hands the first file's freed
// inode number to the third at once, so a reader that let its file go could take the third for the first.
TEST(SettingsOnDisk, ReadSeesEveryForeignRename) {
    ::setenv("TMPDIR", "/var/tmp", 1); // tmpfs never reuses inode numbers
    const fakes::TempDir dir;
    const auto path = dir.File("ZeltoPre.INI");
    const auto temp = dir.File("foreign.tmp");
    const auto foreignWrite = [&](int address) {
        PutBytes(temp, "[Zelto Systems Premium]\nupdatedip=10.0.0." + std::to_string(address) + "\n");
        const timespec stamp[2] = {{1700000000, 0}, {1700000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, temp.c_str(), stamp, 0), 0);
        std::filesystem::rename(temp, path);
    };
    SettingsFile settings(path);
    for (int i = 100; i < 300; ++i) {
        foreignWrite(i);
        ASSERT_EQ(settings.ReadText("updatedip"), "10.0.0." + std::to_string(i));
        foreignWrite(999);
        foreignWrite(i + 1);
        ASSERT_EQ(settings.ReadText("updatedip"), "10.0.0." + std::to_string(i + 1));
    }
}

TEST_F(SettingsConcurrency, ReadSeesForeignEditInPlace) {
    SettingsFile settings(path_);
    PutBytes(path_, "[Zelto Systems Premium]\nipmethod=1\n");
    EXPECT_EQ(settings.ReadInt("ipmethod", 0), 1);
    PutBytes(path_, "[Zelto Systems Premium]\nipmethod=3\none=10\n");
    EXPECT_EQ(settings.ReadInt("ipmethod", 0), 3);
}

TEST_F(SettingsConcurrency, WriterKilledMidWriteLeavesOldOrNewFile) {
    const std::string filler(60, 'f');
    const std::string head = "[Zelto Systems Premium]\nfiller=" + filler + "\ncounter=";
    {
        SettingsFile settings(path_);
        ASSERT_TRUE(settings.WriteText("filler", filler));
        ASSERT_TRUE(settings.WriteInt("counter", 0));
    }
    std::mt19937 random(11);
    int last = 0;
    for (int round = 0; round < 100; ++round) {
        const pid_t child = Spawn([&] {
            SettingsFile settings(path_);
            for (int i = last + 1; i < last + 100000; ++i) {
                settings.WriteInt("counter", i);
            }
            return 0;
        });
        std::this_thread::sleep_for(std::chrono::microseconds(200 + random() % 3000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const std::string bytes = Bytes(path_);
        ASSERT_TRUE(bytes.starts_with(head) && bytes.ends_with("\n")) << "round " << round << ": " << bytes;
        const SettingsFile settings(path_);
        const int counter = settings.ReadInt("counter", -1);
        ASSERT_EQ(bytes, head + std::to_string(counter) + "\n");
        ASSERT_GE(counter, last);
        last = counter;
    }
    // The lock died with the writer, and what it left half-done is no obstacle.
    SettingsFile settings(path_);
    EXPECT_TRUE(settings.WriteInt("counter", -7));
    EXPECT_EQ(settings.ReadInt("counter", 0), -7);
    EXPECT_GT(last, 0) << "no writer got a write done";
}

} // namespace
} // namespace zelto
