// A full disk under the configuration operations, as a file size limit (POSIX only).

#include "config/DomainList.h"
#include "config/IgnoreList.h"

#include "SettingsFixture.h"

#include <csignal>
#include <sys/resource.h>

namespace zelto {
namespace {

class FullDiskTest : public testing::SettingsTest {
protected:
    // Runs `operation` while no file may outgrow one holding just the lines `fits`.
    template <class Operation> auto WhenOnly(const std::string& fits, Operation operation) {
        SettingsFile scratch(dir.File("scratch.ini"));
        Seed(fits, scratch);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{std::filesystem::file_size(scratch.Path()), saved.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const auto result = operation();
        setrlimit(RLIMIT_FSIZE, &saved);
        return result;
    }
};

TEST_F(FullDiskTest, AFailedCountWriteAddsNoDomain) {
    const DomainOutcome outcome = WhenOnly("first_level1=com\nsecond_level1=example\npassword1=secret1", [&] {
        return AddDomain(settings, {"example", "com", "secret1"});
    });
    EXPECT_TRUE(outcome.writeFailed && !outcome.carriedOut);
    EXPECT_EQ(outcome.status, "No Domains Loaded!");
    EXPECT_EQ(Int("numofdomains"), -1);
}

TEST_F(FullDiskTest, AnIgnoreListAddWithoutRoomForItsAddressWritesNoCount) {
    EXPECT_FALSE(WhenOnly("numofignoreip=1", [&] { return AddIgnoredAddress(settings, {{203, 0, 113, 7}}); }));
    EXPECT_EQ(Int("numofignoreip"), -1);
    EXPECT_TRUE(AddIgnoredAddress(settings, {}));
    EXPECT_EQ(BuildIgnoreListText(settings), "0.0.0.0\r\n");
}

} // namespace
} // namespace zelto
