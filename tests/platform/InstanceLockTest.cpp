#include "platform/InstanceLock.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace zelto {
namespace {

using Claim = InstanceLock::Claim;

// Locks are per open file in this process as between processes, so one process can stand for two.
TEST(InstanceLockTest, OneClientPerSettingsFileNamedToTheNextUntilItGoes) {
    const fakes::TempDir dir;
    const std::filesystem::path settings = dir.File("ZeltoPre.INI"), other = dir.File("Other.INI");
    auto first = std::make_unique<InstanceLock>(settings, ClientKind::Desktop);
    ASSERT_EQ(first->Result(), Claim::Taken);

    const struct {
        std::filesystem::path path;
        ClientKind kind;
        Claim claim;
    } cases[] = {
        {settings, ClientKind::Headless, Claim::HeldElsewhere},
        {settings, ClientKind::Desktop, Claim::HeldElsewhere},
        {other, ClientKind::Headless, Claim::Taken},
        {dir.File("missing") / "ZeltoPre.INI", ClientKind::Headless, Claim::Taken}, // a first start
    };
    for (const auto& c : cases) {
        const InstanceLock second(c.path, c.kind);
        EXPECT_EQ(second.Result(), c.claim) << c.path;
        if (c.claim == Claim::HeldElsewhere) {
            EXPECT_EQ(second.Holder().pid, getpid());
            EXPECT_EQ(second.Holder().kind, ClientKind::Desktop);
        }
    }

    first.reset();
    EXPECT_EQ(InstanceLock(settings, ClientKind::Headless).Result(), Claim::Taken);
}

} // namespace
} // namespace zelto
