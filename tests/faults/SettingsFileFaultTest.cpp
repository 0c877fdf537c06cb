#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>

namespace zelto::faults {
namespace {

namespace fs = std::filesystem;

// The engine registering on every pass (its address list is empty, so every decision finds a pass due),
// while the settings file goes wrong under it.
class SettingsFileFaultTest : public ::testing::Test {
protected:
    SettingsFileFaultTest() {
        service.AddAccount({"example", "com", "secret12", false});
        fs::create_directory(folder);
    }

    static emulator::Options ShortLived() {
        emulator::Options options;
        options.lifetime = 60s;
        return options;
    }

    int Registered() const { return rig->notices.Now().registered; }

    void StartEngine() {
        rig.emplace(path);
        ConfigureOneDomain(rig->settings, service.HostPort());
        rig->runner.Start();
        ASSERT_TRUE(WaitUntil([&] { return Registered() >= 3; }, 10s));
    }

    // While `fault` holds, every pass fails to write its record and the file stays byte for byte as it
    // was; once it is gone, the next pass records again.
    void ExpectWritesFailCleanlyUntilRepaired(std::unique_ptr<ScopedMount>& fault, const fs::path& filler = {}) {
        std::string before;
        {
            const SettingsFile::Lock lock(rig->settings);
            before = ReadFileBytes(path);
        }
        const int registered = Registered();
        bool unchanged = true;
        EXPECT_TRUE(WaitUntil(
            [&] {
                unchanged = unchanged && ReadFileBytes(path) == before;
                return rig->notices.Now().recordFailed >= 50;
            },
            10s));
        EXPECT_TRUE(unchanged) << "a failed write changed the file";
        EXPECT_EQ(Registered(), registered) << "a write reported success while it could not have been made";
        EXPECT_EQ(SettingsFile(path).ReadText("updatedip"), "127.0.0.1") << "the old value did not stay";

        if (!filler.empty())
            fs::remove(filler);
        fault.reset();
        // Emptied here, so only a write made after the repair can put the address back.
        ASSERT_TRUE(SettingsFile(path).WriteText("updatedip", ""));
        EXPECT_TRUE(WaitUntil([&] { return SettingsFile(path).ReadText("updatedip") == "127.0.0.1"; }, 5s));
        rig->runner.Stop();
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_NE(entry.path().extension(), ".tmp") << "a failed write left " << entry.path();
        std::cout << "[faults] " << ::testing::UnitTest::GetInstance()->current_test_info()->name() << ": "
                  << rig->notices.Now().recordFailed << " failed record writes survived\n";
    }

    fakes::TempDir dir;
    fs::path folder = dir.File("settings");
    fs::path path = folder / "ZeltoPre.INI";
    emulator::ServiceEmulator service{ShortLived()};
    std::unique_ptr<ScopedMount> disk;
    std::optional<EngineRig> rig;
};

TEST_F(SettingsFileFaultTest, MadeReadOnlyWhileTheClientRuns) {
    if (!HavePrivateMounts())
        GTEST_SKIP() << "no mount namespace of our own: cannot make the folder read-only for root";
    StartEngine();
    std::unique_ptr<ScopedMount> readOnly;
    {
        const SettingsFile::Lock lock(rig->settings);
        readOnly = ScopedMount::ReadOnly(folder);
    }
    ASSERT_TRUE(readOnly);
    ExpectWritesFailCleanlyUntilRepaired(readOnly);
}

TEST_F(SettingsFileFaultTest, DiskFullWhileTheClientRuns) {
    if (!HavePrivateMounts())
        GTEST_SKIP() << "no mount namespace of our own: cannot mount a small file system";
    disk = ScopedMount::Tmpfs(folder, 64 * 1024);
    ASSERT_TRUE(disk);
    StartEngine();
    fs::path filler;
    {
        const SettingsFile::Lock lock(rig->settings);
        filler = FillDisk(folder);
    }
    std::unique_ptr<ScopedMount> none;
    ExpectWritesFailCleanlyUntilRepaired(none, filler);
}

// Replaced by random bytes (a new file or the same one overwritten) or cut to nothing: the client finds no
// domain and stops sending; given a good file again it registers on its next pass.
TEST_F(SettingsFileFaultTest, ReplacedByGarbageOrTruncatedWhileTheClientRuns) {
    StartEngine();
    const std::string good = ReadFileBytes(path);
    std::mt19937 random(5);
    constexpr int kRounds = 30;
    int quiet = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string garbage(random() % 2048, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random());
        {
            // Held so that a record write of the client's, read before the damage, cannot undo it.
            const SettingsFile::Lock lock(rig->settings);
            switch (round % 3) {
            case 0:
                WriteFileBytes(folder / "other", garbage);
                fs::rename(folder / "other", path);
                break;
            case 1:
                WriteFileBytes(path, garbage);
                break;
            case 2:
                fs::resize_file(path, 0);
                break;
            }
        }
        // No domain is left, so the requests stop once a request already under way has ended.
        int seen = service.Requests();
        const bool stopped = WaitUntil(
            [&] {
                const int now = service.Requests();
                if (now != seen) {
                    seen = now;
                    return false;
                }
                std::this_thread::sleep_for(60ms);
                return service.Requests() == now;
            },
            3s);
        EXPECT_TRUE(stopped) << "requests went on from a file without domains";
        quiet += stopped ? 1 : 0;
        if (round % 10 == 0) {
            EXPECT_EQ(RunClient({"--settings", path.string(), "status"}), 0);
        }

        {
            const SettingsFile::Lock lock(rig->settings);
            WriteFileBytes(folder / "other", good);
            fs::rename(folder / "other", path);
        }
        EXPECT_TRUE(WaitUntil([&] { return SettingsFile(path).ReadText("updatedip") == "127.0.0.1"; }, 5s));
    }
    rig->runner.Stop();
    EXPECT_EQ(rig->notices.Now().messages, 0);
    std::cout << "[faults] garbage or truncated file: " << kRounds << " rounds survived, requests stopped in " << quiet
              << "\n";
}

} // namespace
} // namespace zelto::faults
