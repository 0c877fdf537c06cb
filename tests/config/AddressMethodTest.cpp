#include "config/AddressMethod.h"

#include "SettingsFixture.h"

namespace zelto {
namespace {

using AddressMethodTest = testing::SettingsTest;

TEST(AddressTextTest, ParsesFourDecimalFieldsAndNothingElse) {
    const struct {
        const char* text;
        std::optional<AddressFields> fields;
    } cases[] = {
        {"203.0.113.7", AddressFields{{203, 0, 113, 7}}},
        {"0.0.0.0", AddressFields{}},
        {"255.255.255.255", AddressFields{{255, 255, 255, 255}}},
        {"010.001.0.1", AddressFields{{10, 1, 0, 1}}},
        {"256.1.1.1", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..3.4", std::nullopt},
        {"1.2.3.4.", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"0001.2.3.4", std::nullopt},
        {"-1.2.3.4", std::nullopt},
        {"+1.2.3.4", std::nullopt},
        {"0x7f.0.0.1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseAddressText(c.text), c.fields) << c.text;
    EXPECT_EQ(ParseAddressText("010.001.0.1")->ToText(), "10.1.0.1");
}

TEST_F(AddressMethodTest, TheDialogShowsBothForAMissingOrUnknownMethod) {
    EXPECT_EQ(LoadDialogMethod(settings), AddressMethod::Both);
    const struct {
        const char* stored;
        AddressMethod shown;
    } cases[] = {{"0", AddressMethod::Server}, {"1", AddressMethod::Client}, {"2", AddressMethod::Both},
                 {"3", AddressMethod::Fixed},  {"7", AddressMethod::Both},   {"-1", AddressMethod::Both}};
    for (const auto& c : cases) {
        Seed({{"ipmethod", c.stored}});
        EXPECT_EQ(LoadDialogMethod(settings), c.shown) << c.stored;
    }
}

TEST_F(AddressMethodTest, SavingAMethodEmptiesIpaddressAndTheRecordButKeepsTheFixedFields) {
    const struct {
        AddressMethod method;
        const char* stored;
    } cases[] = {{AddressMethod::Server, "0"}, {AddressMethod::Client, "1"}, {AddressMethod::Both, "2"}};
    for (const auto& c : cases) {
        Seed({{"ipaddress", "old"}, {"updatedip", "203.0.113.7"}, {"one", "9"}});
        EXPECT_TRUE(SaveAddressMethod(settings, c.method, AddressFields{{1, 2, 3, 4}}));
        EXPECT_EQ(Text("ipmethod"), c.stored);
        EXPECT_EQ(Text("ipaddress"), "");
        EXPECT_EQ(Text("updatedip"), "");
        EXPECT_EQ(Int("one"), 9);
    }
}

TEST_F(AddressMethodTest, SavingFixedWritesTheFourFieldsAndLeavesIpaddress) {
    Seed({{"ipaddress", "old"}, {"updatedip", "203.0.113.7"}});
    EXPECT_TRUE(SaveAddressMethod(settings, AddressMethod::Fixed, AddressFields{}));
    EXPECT_EQ(Text("ipmethod"), "3");
    for (const char* key : {"one", "two", "three", "four"})
        EXPECT_EQ(Text(key), "0") << key;
    EXPECT_EQ(Text("ipaddress"), "old");
    EXPECT_EQ(Text("updatedip"), "");

    SaveAddressMethod(settings, AddressMethod::Fixed, AddressFields{{198, 51, 100, 23}});
    EXPECT_EQ(LoadFixedAddress(settings), (AddressFields{{198, 51, 100, 23}}));
}

} // namespace
} // namespace zelto
