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

// Locks are per open file in this process as between processes, so one process can stand for two. Every
// name of the file is the same file; a hard link's holder is recorded beside the other name.
TEST(InstanceLockTest, OneClientPerSettingsFileWhateverNamesItNamedToTheNextUntilItGoes) {
    namespace fs = std::filesystem;
    const fakes::TempDir dir;
    const fs::path settings = dir.File("ZeltoPre.INI"), other = dir.File("Other.INI");
    fakes::WriteFile(settings, "[Settings]\n");
    std::error_code noLinks;
    fs::create_symlink(settings, dir.File("link.INI"), noLinks);
    fs::create_hard_link(settings, dir.File("hard.INI"));
    auto first = std::make_unique<InstanceLock>(settings, ClientKind::Desktop);
    ASSERT_EQ(first->Result(), Claim::Taken);

    const struct {
        fs::path path;
        ClientKind kind;
        Claim claim;
        bool named = true; // the holder's process is told
    } cases[] = {
        {settings, ClientKind::Headless, Claim::HeldElsewhere},
        {dir.File("link.INI"), ClientKind::Headless, noLinks ? Claim::Taken : Claim::HeldElsewhere},
        {dir.File("hard.INI"), ClientKind::Headless, Claim::HeldElsewhere, false},
        {other, ClientKind::Headless, Claim::Taken},
        {dir.File("missing") / "ZeltoPre.INI", ClientKind::Headless, Claim::Taken}, // a first start
    };
    for (const auto& c : cases) {
        const InstanceLock second(c.path, c.kind);
        EXPECT_EQ(second.Result(), c.claim) << c.path;
        if (c.claim == Claim::HeldElsewhere && c.named) {
            EXPECT_EQ(second.Holder().pid, getpid()) << c.path;
            EXPECT_EQ(second.Holder().kind, ClientKind::Desktop) << c.path;
        }
    }

    first.reset();
    EXPECT_EQ(InstanceLock(dir.File("hard.INI"), ClientKind::Headless).Result(), Claim::Taken);
    EXPECT_EQ(InstanceLock(settings, ClientKind::Headless).Result(), Claim::Taken);
}

} // namespace
} // namespace zelto
