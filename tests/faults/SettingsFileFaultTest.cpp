#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace zelto::faults {
namespace {

namespace fs = std::filesystem;

// The engine registering on every pass while its settings file is replaced by random bytes (a new file or
// overwritten in place) or cut to nothing: no domain is left, so the requests stop; given a good file again,
// the client registers on its next pass. Damage and repair are done under the file's lock, so that a record
// write of the client's, read before, cannot undo them.
TEST(SettingsFileFaultTest, ReplacedByGarbageOrTruncatedWhileTheClientRuns) {
    fakes::TempDir dir;
    const fs::path path = dir.File("ZeltoPre.INI"), other = dir.File("other");
    emulator::ServiceEmulator service;
    service.AddAccount({"example", "com", "secret12", false});
    EngineRig rig(path);
    ConfigureOneDomain(rig.settings, service.HostPort());
    rig.runner.Start();
    ASSERT_TRUE(WaitUntil(rig.notices, [](const auto& seen) { return Count(seen, ExchangeOutcome::Answered) >= 3; }));
    const auto locked = [&](const auto& change) {
        const SettingsFile::ChangeLock lock(rig.settings);
        change();
    };
    // Until the engine has read its clock `reads` more times: once at each decision and at each record written.
    const auto clockReads = [&](std::size_t reads) {
        const std::size_t until = rig.clock.looks.Get().size() + reads;
        return rig.clock.looks.WaitFor(until).size() >= until;
    };

    const std::string good = fakes::ReadFile(path);
    std::mt19937 random(5);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string garbage(round % 3 == 2 ? 0 : random() % 2048, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random());
        locked([&] {
            fakes::WriteFile(round % 3 == 0 ? other : path, garbage);
            if (round % 3 == 0)
                fs::rename(other, path);
        });
        // A pass already under way ends before the second look at the clock; the decisions after it find no
        // domain to send.
        ASSERT_TRUE(clockReads(2));
        const int requests = service.Requests();
        ASSERT_TRUE(clockReads(3));
        EXPECT_EQ(service.Requests(), requests) << "requests went on from a file without domains";
        locked([&] {
            fakes::WriteFile(other, good);
            fs::rename(other, path);
        });
        EXPECT_TRUE(WaitUntil(rig.notices,
                              [&](const auto&) { return SettingsFile(path).ReadText("updatedip") == "127.0.0.1"; }));
    }
    rig.runner.Stop();
    EXPECT_EQ(rig.notices.Messages().size(), 0u);
}

} // namespace
} // namespace zelto::faults
