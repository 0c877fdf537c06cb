#include "config/IgnoreList.h"

#include "SettingsFixture.h"

namespace zelto {
namespace {

using IgnoreListTest = testing::SettingsTest;

TEST_F(IgnoreListTest, RemoveTakesTheFirstEqualTextAndShiftsTheRestDown) {
    Seed("numofignoreip=3\nignoreip1=1.1.1.1\nignoreip2=2.2.2.2\nignoreip3=3.3.3.3");
    EXPECT_EQ(RemoveIgnoredAddress(settings, {{2, 2, 2, 2}}), IgnoreRemoval::Removed);
    EXPECT_EQ(BuildIgnoreListText(settings), "1.1.1.1\r\n3.3.3.3\r\n");
    EXPECT_EQ(Text("ignoreip3"), "3.3.3.3");
    EXPECT_TRUE(AddIgnoredAddress(settings, {{1, 1, 1, 1}}));
    EXPECT_EQ(RemoveIgnoredAddress(settings, {{1, 1, 1, 1}}), IgnoreRemoval::Removed);
    EXPECT_EQ(BuildIgnoreListText(settings), "3.3.3.3\r\n1.1.1.1\r\n");
}

} // namespace
} // namespace zelto
