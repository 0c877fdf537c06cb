#include "config/DomainList.h"
#include "config/AddressMethod.h"
#include "config/IgnoreList.h"

#include "SettingsFixture.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFolder.h"

#include <functional>

namespace zelto {
namespace {

using DomainListTest = testing::SettingsTest;

TEST_F(DomainListTest, AddValidatesTheBoxesInOrderAndGivesAListedNameTheNewPassword) {
    const struct {
        DomainInput input;
        const char* status;
        int count; // numofdomains afterwards; -1 while the file holds none
    } steps[] = {
        {{"", "", ""}, "Invalid Domain Name!", -1},
        {{"o'neil", "c m", ""}, "Invalid Domain Name!", -1},
        {{"example", "co uk", "secret1"}, "Invalid Top Level", -1},
        {{"example", "com", "12345"}, "Password must be 6-8 characters!", -1},
        {{"example", "com", "123456789"}, "Password must be 6-8 characters!", -1},
        // Characters are counted, not bytes: nine are too many, eight in nine bytes (b-2 below) are not.
        {{"example", "com", "12345678\xc3\xb6"}, "Password must be 6-8 characters!", -1},
        // Longer than a settings read returns, or a line break that would start a key of its own.
        {{std::string(69, 'a'), "com", "secret1"}, "Invalid Domain Name!", -1},
        {{"ex\nnumofdomains=5", "com", "secret1"}, "Invalid Domain Name!", -1},
        {{"a", "com", "123456"}, "Domain a.com loaded.", 1},
        {{"b-2", "CO_UK", "1234567\xc3\xb6"}, "Domain a.com, b-2.CO_UK loaded.", 2},
        {{"A", "com", "abcdef"}, "a.com was already in the list: its password is replaced.", 2},
    };
    for (const auto& step : steps) {
        const DomainOutcome outcome = AddDomain(settings, step.input);
        EXPECT_EQ(outcome.carriedOut, step.count > 0) << step.input.domain;
        EXPECT_EQ(outcome.status, step.status) << step.input.domain;
        EXPECT_EQ(Int("numofdomains"), step.count) << step.input.domain;
    }
    EXPECT_EQ(Text("password1"), "abcdef");
    EXPECT_EQ(Text("second_level1"), "a");
}

// Copies an older version added stay, each given the new password and its pause lifted.
TEST_F(DomainListTest, AddOfAListedNameLiftsThePauseOfEveryCopy) {
    SeedDomains({{"Ex", "com", "wrong1"}, {"b", "com", "secret2"}, {"ex", "COM", "wrong3"}});
    ClientSettings schema(settings);
    for (int n : {1, 3})
        ASSERT_TRUE(schema.WritePause(n, schema.Domain(n), {Refusal::WrongPassword, 1}));
    AddTypedDomain(settings, {"eX", "Com", "right1"});
    EXPECT_EQ(Text("password1") + Text("password2") + Text("password3"), "right1secret2right1");
    EXPECT_EQ(Int("numofdomains"), 3);
    EXPECT_TRUE(schema.PausedDomains().empty());
}

TEST_F(DomainListTest, RemoveTakesTheFirstExactMatchAndShiftsTheRestDownAndClearKeepsTheEntries) {
    for (const char* name : {"a", "b", "c"})
        AddDomain(settings, {name, "com", std::string("pass_") + name});
    for (const DomainInput& miss : {DomainInput{"a", "com", "pass_b"}, DomainInput{"a", "Com", "pass_a"},
                                    DomainInput{"A", "com", "pass_a"}, DomainInput{"", "", ""}}) {
        const DomainOutcome outcome = RemoveDomain(settings, miss);
        EXPECT_TRUE(outcome.clearInputs && !outcome.carriedOut);
        EXPECT_EQ(outcome.status, "Domain a.com, b.com, c.com loaded.");
    }
    Seed("password5=pass_e"); // left behind by a program that removed entries before
    EXPECT_EQ(RemoveDomain(settings, {"a", "com", "pass_a"}).status, "Domain b.com, c.com loaded.");
    EXPECT_EQ(Text("password2"), "pass_c");
    // Entries past the count stay, as other programs expect, but with their passwords emptied.
    EXPECT_EQ(Text("second_level3"), "c");
    EXPECT_EQ(Text("password3") + Text("password5"), "");
    const std::string emptied = "\npassword3=" + std::string(SettingsFolder::kNewFileLineEnd);
    EXPECT_NE(fakes::ReadFile(settings.Path()).find(emptied), std::string::npos);
    EXPECT_EQ(AddDomain(settings, {"d", "com", "pass_d"}).status, "Domain b.com, c.com, d.com loaded.");
    EXPECT_EQ(RemoveDomain(settings, {"b", "com", "pass_b"}).status, "Domain c.com, d.com loaded.");

    Seed("password5=pass_e");
    EXPECT_EQ(ClearDomains(settings).status, "No Domains Loaded!");
    EXPECT_EQ(Int("numofdomains"), 0);
    EXPECT_EQ(Text("second_level2"), "d");
    EXPECT_EQ(Text("password1") + Text("password2") + Text("password5"), "");
    EXPECT_EQ(fakes::ReadFile(settings.Path()).find("password4"), std::string::npos) << "a key that was not there";
    EXPECT_EQ(AddDomain(settings, {"new", "org", "secret3"}).status, "Domain new.org loaded.");
    EXPECT_EQ(Text("second_level1"), "new");
}

// The original client wrote Windows-1252: such an entry is removed by typing what the user reads.
TEST_F(DomainListTest, TheOriginalClientsSingleByteEntryIsRemovedAsTypedAndUnstorableTextRefused) {
    SeedDomains({{"M\xfcller", "com", "p\xe4ss1234"}, {"b", "com", "secret1"}});
    EXPECT_EQ(BuildDomainListText(settings), "Domain M\xfcller.com, b.com loaded.");
    EXPECT_EQ(RemoveTypedDomain(settings, {"M\xc3\xbcller", "com", "p\xc3\xa4ss1234"}).status, "Domain b.com loaded.");
    const DomainOutcome greek = AddTypedDomain(settings, {"\xce\xa9mega", "com", "secret1"});
#ifdef _WIN32
    EXPECT_FALSE(greek.carriedOut);
    EXPECT_NE(greek.status.find("\"\xce\xa9\""), std::string::npos) << greek.status;
    EXPECT_EQ(AddTypedDomain(settings, {"Zo\xc3\xab", "com", "secret1"}).status, "Domain b.com, Zo\xeb.com loaded.");
#else
    EXPECT_EQ(greek.status, "Domain b.com, \xce\xa9mega.com loaded.");
#endif
}

// A lock file that cannot be used (a folder in its place): every change fails, writing nothing.
TEST_F(DomainListTest, EveryChangeFailsWritingNothingWhenTheLockCannotBeTaken) {
    SeedDomains({{"example", "com", "secret1"}});
    Seed("numofignoreip=1\nignoreip1=1.1.1.1");
    const std::string before = fakes::ReadFile(settings.Path());
    std::filesystem::remove(settings.Path().string() + ".lock");
    std::filesystem::create_directory(settings.Path().string() + ".lock");
    const DomainInput other{"other", "net", "secret2"}, listed{"example", "com", "secret1"};
    const AddressFields listedAddress{{1, 1, 1, 1}}, otherAddress{{2, 2, 2, 2}};
    const std::function<bool()> changes[] = {
        [&] { return AddDomain(settings, other).writeFailed; },
        [&] { return RemoveDomain(settings, listed).writeFailed; },
        [&] { return ClearDomains(settings).writeFailed; },
        [&] { return !AddIgnoredAddress(settings, otherAddress); },
        [&] { return RemoveIgnoredAddress(settings, listedAddress) == IgnoreRemoval::WriteFailed; },
        [&] { return SaveAddressMethod(settings, AddressMethod::Fixed, otherAddress) != AddressSave::Saved; },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        EXPECT_TRUE(changes[i]()) << "change " << i;
        EXPECT_EQ(settings.LastError().fault, SettingsFault::LockFailed) << "change " << i;
        EXPECT_EQ(fakes::ReadFile(settings.Path()), before) << "change " << i;
    }
}

} // namespace
} // namespace zelto
