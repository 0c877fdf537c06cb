#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <optional>
#include <random>

namespace zelto::faults {
namespace {

namespace fs = std::filesystem;

// The engine registering on every pass while the settings file goes wrong under it.
class SettingsFileFaultTest : public ::testing::Test {
protected:
    SettingsFileFaultTest() {
        service.AddAccount({"example", "com", "secret12", false});
        fs::create_directory(folder);
    }

    void StartEngine() {
        rig.emplace(path);
        ConfigureOneDomain(rig->settings, service.HostPort());
        rig->runner.Start();
        ASSERT_TRUE(WaitUntil([&] { return rig->notices.Now().registered >= 3; }, 10s));
    }

    template <typename F> auto Locked(F f) {
        const SettingsFile::Lock lock(rig->settings);
        return f();
    }

    bool Recorded() const { return SettingsFile(path).ReadText("updatedip") == "127.0.0.1"; }

    // While the fault holds, every record write fails and the file stays byte for byte; once `repair` has
    // run, the next pass records again.
    void ExpectWritesFailCleanlyUntil(const std::function<void()>& repair) {
        const std::string before = Locked([&] { return ReadFileBytes(path); });
        const int registered = rig->notices.Now().registered;
        bool unchanged = true;
        EXPECT_TRUE(WaitUntil(
            [&] {
                unchanged = unchanged && ReadFileBytes(path) == before;
                return rig->notices.Now().recordFailed >= 50;
            },
            10s));
        EXPECT_TRUE(unchanged) << "a failed write changed the file";
        EXPECT_EQ(rig->notices.Now().registered, registered) << "a failed write was reported as done";
        EXPECT_TRUE(Recorded()) << "the old value did not stay";

        repair();
        // Emptied, so only a write made after the repair can put the address back.
        ASSERT_TRUE(SettingsFile(path).WriteText("updatedip", ""));
        EXPECT_TRUE(WaitUntil([&] { return Recorded(); }, 5s));
        rig->runner.Stop();
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_NE(entry.path().extension(), ".tmp") << "a failed write left " << entry.path();
    }

    fakes::TempDir dir;
    fs::path folder = dir.File("settings");
    fs::path path = folder / "ZeltoPre.INI";
    emulator::ServiceEmulator service;
    std::optional<EngineRig> rig;
};

// Root ignores permission bits, hence a read-only bind mount in the test's own mount namespace.
TEST_F(SettingsFileFaultTest, MadeReadOnlyWhileTheClientRuns) {
    if (!privateMounts)
        GTEST_SKIP() << "no mount namespace of our own";
    StartEngine();
    auto readOnly = Locked([&] { return std::make_unique<ScopedMount>(folder, 0); });
    ASSERT_TRUE(readOnly->ok);
    ExpectWritesFailCleanlyUntil([&] { readOnly.reset(); });
}

TEST_F(SettingsFileFaultTest, DiskFullWhileTheClientRuns) {
    if (!privateMounts)
        GTEST_SKIP() << "no mount namespace of our own";
    const ScopedMount disk(folder, 64 * 1024);
    ASSERT_TRUE(disk.ok);
    StartEngine();
    const fs::path filler = Locked([&] { return FillDisk(folder); });
    ExpectWritesFailCleanlyUntil([&] { fs::remove(filler); });
}

// Replaced by random bytes (a new file or overwritten in place) or cut to nothing: no domain is left, so the
// requests stop; given a good file again, the client registers on its next pass.
TEST_F(SettingsFileFaultTest, ReplacedByGarbageOrTruncatedWhileTheClientRuns) {
    StartEngine();
    const std::string good = ReadFileBytes(path);
    std::mt19937 random(5);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string garbage(random() % 2048, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random());
        {
            // Held so that a record write of the client's, read before the damage, cannot undo it.
            const SettingsFile::Lock lock(rig->settings);
            WriteFileBytes(round % 3 == 0 ? folder / "other" : path, round % 3 == 2 ? "" : garbage);
            if (round % 3 == 0)
                fs::rename(folder / "other", path);
        }
        // Quiet once no request arrives for 60 ms (a request already under way may still end).
        int seen = -1;
        EXPECT_TRUE(WaitUntil(
            [&] {
                const int now = std::exchange(seen, service.Requests());
                std::this_thread::sleep_for(60ms);
                return now == seen && service.Requests() == seen;
            },
            3s))
            << "requests went on from a file without domains";
        {
            const SettingsFile::Lock lock(rig->settings);
            WriteFileBytes(folder / "other", good);
            fs::rename(folder / "other", path);
        }
        EXPECT_TRUE(WaitUntil([&] { return Recorded(); }, 5s));
    }
    rig->runner.Stop();
    EXPECT_EQ(rig->notices.Now().messages, 0);
}

} // namespace
} // namespace zelto::faults
