#include "config/IgnoreList.h"

#include "SettingsFixture.h"

#include <filesystem>

namespace zelto {
namespace {

using IgnoreListTest = testing::SettingsTest;

AddressFields Address(int a, int b, int c, int d) {
    return AddressFields{{a, b, c, d}};
}

TEST_F(IgnoreListTest, AddOnAnEmptyFileWritesCountOneAndTheAddress) {
    EXPECT_EQ(BuildIgnoreListText(settings), "");
    EXPECT_TRUE(OnAddIp(settings, Address(10, 1, 0, 1)));
    EXPECT_EQ(Int("numofignoreip"), 1);
    EXPECT_EQ(Text("ignoreip", 1), "10.1.0.1");
    EXPECT_EQ(BuildIgnoreListText(settings), "10.1.0.1\r\n");
}

TEST_F(IgnoreListTest, ABlankAddressAndDuplicatesAreAdded) {
    OnAddIp(settings, AddressFields{});
    OnAddIp(settings, Address(192, 168, 1, 1));
    OnAddIp(settings, Address(192, 168, 1, 1));
    EXPECT_EQ(BuildIgnoreListText(settings), "0.0.0.0\r\n192.168.1.1\r\n192.168.1.1\r\n");
}

TEST_F(IgnoreListTest, AFailedAddressWriteTakesTheNewCountBack) {
    // The count goes first; the file may grow to hold it but not the address after it.
    {
        SettingsFile scratch(dir.File("scratch.ini"));
        scratch.WriteInt("numofignoreip", 1);
    }
    bool added = true;
    {
        testing::FileSizeLimit limit(std::filesystem::file_size(dir.File("scratch.ini")));
        added = OnAddIp(settings, Address(203, 0, 113, 7));
    }
    EXPECT_FALSE(added);
    EXPECT_EQ(Int("numofignoreip"), 0);
    EXPECT_EQ(Text("ignoreip", 1), "");
}

TEST_F(IgnoreListTest, RemovingTheMiddleOfThreeShiftsTheLastDownAndLeavesItsOldKey) {
    Seed({{"numofignoreip", "3"}, {"ignoreip1", "1.1.1.1"}, {"ignoreip2", "2.2.2.2"}, {"ignoreip3", "3.3.3.3"}});
    EXPECT_EQ(RemoveIgnoreAddress(settings, Address(2, 2, 2, 2)), IgnoreRemoval::Removed);
    EXPECT_EQ(Int("numofignoreip"), 2);
    EXPECT_EQ(BuildIgnoreListText(settings), "1.1.1.1\r\n3.3.3.3\r\n");
    EXPECT_EQ(Text("ignoreip", 3), "3.3.3.3");
}

TEST_F(IgnoreListTest, RemovingADuplicateTakesOutTheFirstCopyOnly) {
    Seed({{"numofignoreip", "3"}, {"ignoreip1", "5.5.5.5"}, {"ignoreip2", "6.6.6.6"}, {"ignoreip3", "5.5.5.5"}});
    EXPECT_TRUE(OnRemoveIp(settings, Address(5, 5, 5, 5)));
    EXPECT_EQ(BuildIgnoreListText(settings), "6.6.6.6\r\n5.5.5.5\r\n");
}

TEST_F(IgnoreListTest, RemoveComparesWholeTextsAndWritesNothingWithoutAMatch) {
    // Entries beyond the count are not live, and a stored text with leading zeros is another text.
    Seed({{"numofignoreip", "1"}, {"ignoreip1", "010.0.0.1"}, {"ignoreip2", "10.0.0.1"}});
    const auto before = std::filesystem::last_write_time(settings.Path());
    EXPECT_EQ(RemoveIgnoreAddress(settings, Address(10, 0, 0, 1)), IgnoreRemoval::NotFound);
    EXPECT_FALSE(OnRemoveIp(settings, Address(10, 0, 0, 1)));
    EXPECT_EQ(Int("numofignoreip"), 1);
    EXPECT_EQ(std::filesystem::last_write_time(settings.Path()), before);
}

} // namespace
} // namespace zelto
