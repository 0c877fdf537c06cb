#include "platform/windows/WindowsSockets.h"

#include <gtest/gtest.h>

namespace zelto {
namespace {

// WSAStartup succeeds with an older library too, telling its version: only 1.1 and later will do.
TEST(WindowsSocketsTest, StartsOnlyWhenVersionOneOneOrLaterIsGranted) {
    const struct {
        unsigned char major, minor;
        bool granted;
    } cases[] = {{1, 0, false}, {0, 9, false}, {1, 1, true}, {2, 0, true}, {2, 2, true}};
    for (const auto& c : cases)
        EXPECT_EQ(WindowsSockets::Grants11(static_cast<unsigned short>(c.major | c.minor << 8)), c.granted)
            << int(c.major) << "." << int(c.minor);
    EXPECT_TRUE(WindowsSockets().Started());
}

} // namespace
} // namespace zelto
