#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>

namespace zelto::faults {
namespace {

namespace fs = std::filesystem;
using Outcome = ExchangeOutcome;

// The engine registering on every pass while the settings file goes wrong under it. Damage and repair are
// done under the file's lock, so that a record write of the client's, read before, cannot undo them.
class SettingsFileFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        service.AddAccount({"example", "com", "secret12", false});
        fs::create_directory(folder);
        rig.emplace(path);
        ConfigureOneDomain(rig->settings, service.HostPort());
        rig->runner.Start();
        ASSERT_TRUE(WaitUntil(rig->notices, [](const auto& seen) { return Count(seen, Outcome::Answered) >= 3; }));
    }

    template <typename F> auto Locked(F f) {
        const SettingsFile::ChangeLock lock(rig->settings);
        return f();
    }

    // Waits until the engine has read its clock `reads` more times: once at each decision and at each
    // record written.
    bool WaitForClockReads(std::size_t reads) {
        const std::size_t until = rig->clock.looks.Get().size() + reads;
        return rig->clock.looks.WaitFor(until).size() >= until;
    }

    bool Recorded() const { return SettingsFile(path).ReadText("updatedip") == "127.0.0.1"; }

    fakes::TempDir dir;
    fs::path folder = dir.File("settings"), path = folder / "ZeltoPre.INI";
    emulator::ServiceEmulator service;
    std::optional<EngineRig> rig;
};

// Root ignores permission bits, hence a read-only bind mount in the test's own mount namespace. How a write
// cut short by a full disk leaves the file is SettingsFilePosixTest's.
TEST_F(SettingsFileFaultTest, MadeReadOnlyWhileTheClientRuns) {
    if (!privateMounts)
        GTEST_SKIP() << "no mount namespace of our own";
    auto readOnly = Locked([&] { return MountReadOnly(folder); });
    ASSERT_TRUE(readOnly);
    // While it holds, every record write fails and the file stays byte for byte; once it is undone, the next pass
    // records again and no temporary file is left.
    const std::string before = Locked([&] { return fakes::ReadFile(path); });
    // A pass logs its success after the write, outside the lock: the last one before the fault may be
    // logged after it came. Once a failure is logged, every success before it is.
    const auto failed = [](long times) {
        return [times](const auto& seen) { return Count(seen, Outcome::RecordNotWritten) >= times; };
    };
    EXPECT_TRUE(WaitUntil(rig->notices, failed(1)));
    const long registered = Count(rig->notices.Outcomes(), Outcome::Answered);
    bool unchanged = true;
    EXPECT_TRUE(WaitUntil(rig->notices, [&](const auto& seen) {
        return (unchanged &= fakes::ReadFile(path) == before, failed(50)(seen));
    }));
    EXPECT_TRUE(unchanged) << "a failed write changed the file";
    EXPECT_EQ(Count(rig->notices.Outcomes(), Outcome::Answered), registered) << "a failed write was reported as done";
    EXPECT_TRUE(Recorded()) << "the old value did not stay";
    readOnly.reset();
    ASSERT_TRUE(SettingsFile(path).WriteText("updatedip", "")); // only a write after the repair refills it
    EXPECT_TRUE(WaitUntil(rig->notices, [&](const auto&) { return Recorded(); }));
    rig->runner.Stop();
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_NE(entry.path().extension(), ".tmp") << "a failed write left " << entry.path();
}

// Replaced by random bytes (a new file or overwritten in place) or cut to nothing: no domain is left, so the
// requests stop; given a good file again, the client registers on its next pass.
TEST_F(SettingsFileFaultTest, ReplacedByGarbageOrTruncatedWhileTheClientRuns) {
    const std::string good = fakes::ReadFile(path);
    std::mt19937 random(5);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string garbage(round % 3 == 2 ? 0 : random() % 2048, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random());
        Locked([&] {
            fakes::WriteFile(round % 3 == 0 ? folder / "other" : path, garbage);
            if (round % 3 == 0)
                fs::rename(folder / "other", path);
        });
        // A pass already under way ends before the second look at the clock; the decisions after it find no
        // domain to send.
        ASSERT_TRUE(WaitForClockReads(2));
        const int requests = service.Requests();
        ASSERT_TRUE(WaitForClockReads(3));
        EXPECT_EQ(service.Requests(), requests) << "requests went on from a file without domains";
        Locked([&] {
            fakes::WriteFile(folder / "other", good);
            fs::rename(folder / "other", path);
        });
        EXPECT_TRUE(WaitUntil(rig->notices, [&](const auto&) { return Recorded(); }));
    }
    rig->runner.Stop();
    EXPECT_EQ(rig->notices.Messages().size(), 0u);
}

} // namespace
} // namespace zelto::faults
