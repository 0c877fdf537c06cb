#include "config/DomainList.h"

#include "SettingsFixture.h"

#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto {
namespace {

using DomainListTest = testing::SettingsTest;

struct Refusal {
    DomainInput input;
    const char* status;
};

TEST_F(DomainListTest, AddRefusesBadInputWithTheFirstFailingBoxsMessageAndWritesNothing) {
    const Refusal cases[] = {
        {{"", "", ""}, "Invalid Domain Name!"},
        {{"my host", "com", "secret1"}, "Invalid Domain Name!"},
        {{"o'neil", "com", "secret1"}, "Invalid Domain Name!"},
        {{"example", "", "secret1"}, "Invalid Top Level"},
        {{"example", "co uk", "secret1"}, "Invalid Top Level"},
        {{"example", "c'm", "secret1"}, "Invalid Top Level"},
        {{"example", "com", ""}, "Password must be 6-8 characters!"},
        {{"example", "com", "12345"}, "Password must be 6-8 characters!"},
        {{"example", "com", "123456789"}, "Password must be 6-8 characters!"},
        // Longer than a settings read returns.
        {{std::string(69, 'a'), "com", "secret1"}, "Invalid Domain Name!"},
        {{"example", std::string(69, 'c'), "secret1"}, "Invalid Top Level"},
        // Line breaks cannot be typed into the boxes; in the file they would start a key of their own.
        {{"ex\nnumofdomains=5", "com", "secret1"}, "Invalid Domain Name!"},
        {{"example", "com\r", "secret1"}, "Invalid Top Level"},
        {{"example", "com", "secr\net"}, "Password must be 6-8 characters!"},
    };
    for (const Refusal& refusal : cases) {
        SCOPED_TRACE(refusal.status);
        const DomainOutcome outcome = OnAddDomain(settings, refusal.input);
        EXPECT_FALSE(outcome.carriedOut);
        EXPECT_EQ(outcome.status, refusal.status);
    }
    EXPECT_FALSE(std::filesystem::exists(settings.Path()));
}

TEST_F(DomainListTest, AddAcceptsSixToEightCharacterPasswordsAndAnyOtherCharacter) {
    for (const char* password : {"123456", "1234567", "12345678"})
        EXPECT_TRUE(OnAddDomain(settings, {"my-host.v2", "CO_UK", password}).carriedOut) << password;
    EXPECT_TRUE(OnAddDomain(settings, {std::string(68, 'a'), std::string(68, 'c'), "secret1"}).carriedOut);
    EXPECT_TRUE(OnRemoveDomain(settings, {std::string(68, 'a'), std::string(68, 'c'), "secret1"}).carriedOut);
    EXPECT_EQ(Int("numofdomains"), 3);
    EXPECT_EQ(Text("password", 3), "12345678");
    EXPECT_EQ(Text("second_level", 1), "my-host.v2");
    EXPECT_EQ(Text("first_level", 1), "CO_UK");
}

TEST_F(DomainListTest, AddWritesTheEntryAtCountPlusOneAndShowsTheList) {
    Seed({{"numofdomains", "1"}, {"first_level1", "com"}, {"second_level1", "alpha"}, {"password1", "secret1"}});
    const DomainOutcome outcome = OnAddDomain(settings, {"beta", "net", "secret2"});
    EXPECT_TRUE(outcome.carriedOut);
    EXPECT_FALSE(outcome.clearInputs);
    EXPECT_EQ(outcome.status, "Domain alpha.com, beta.net loaded.");
    EXPECT_EQ(Int("numofdomains"), 2);
    EXPECT_EQ(Text("first_level", 2), "net");
    EXPECT_EQ(Text("second_level", 2), "beta");
    EXPECT_EQ(Text("password", 2), "secret2");
    // Duplicates are added again under a new number.
    EXPECT_EQ(OnAddDomain(settings, {"beta", "net", "secret2"}).status, "Domain alpha.com, beta.net, beta.net loaded.");
}

TEST_F(DomainListTest, AThousandthDomainIsRefusedAndNothingIsWritten) {
    Seed({{"numofdomains", "999"}});
    const DomainOutcome outcome = OnAddDomain(settings, {"example", "com", "secret1"});
    EXPECT_FALSE(outcome.carriedOut);
    EXPECT_EQ(outcome.status, "Domain list is full!");
    EXPECT_EQ(Int("numofdomains"), 999);
    EXPECT_EQ(Text("first_level", 1000), "");
}

TEST_F(DomainListTest, AFailedCountWriteLeavesTheListAsItWas) {
    // The file with the new entry's keys alone is as large as the file may grow: the entry's writes fit,
    // the count's does not.
    {
        SettingsFile scratch(dir.File("scratch.ini"));
        scratch.WriteText("first_level1", "com");
        scratch.WriteText("second_level1", "example");
        scratch.WriteText("password1", "secret1");
    }
    DomainOutcome outcome;
    {
        testing::FileSizeLimit limit(std::filesystem::file_size(dir.File("scratch.ini")));
        outcome = OnAddDomain(settings, {"example", "com", "secret1"});
    }
    EXPECT_TRUE(outcome.writeFailed);
    EXPECT_FALSE(outcome.carriedOut);
    EXPECT_EQ(outcome.status, "No Domains Loaded!");
    EXPECT_EQ(Int("numofdomains"), -1);
}

struct Removal {
    const char* name;
    DomainInput input;
};

TEST_F(DomainListTest, RemoveNeedsAllThreeValuesExactlyAndOtherwiseOnlyClearsTheBoxes) {
    Seed({{"numofdomains", "1"}, {"first_level1", "com"}, {"second_level1", "example"}, {"password1", "secret1"}});
    const Removal cases[] = {
        {"wrong password", {"example", "com", "secret2"}},
        {"other case in top level", {"example", "Com", "secret1"}},
        {"other case in domain", {"Example", "com", "secret1"}},
        {"other case in password", {"example", "com", "Secret1"}},
        {"empty boxes", {"", "", ""}},
    };
    for (const Removal& removal : cases) {
        SCOPED_TRACE(removal.name);
        const DomainOutcome outcome = OnRemoveDomain(settings, removal.input);
        EXPECT_FALSE(outcome.carriedOut);
        EXPECT_TRUE(outcome.clearInputs);
        EXPECT_EQ(outcome.status, "Domain example.com loaded.");
        EXPECT_EQ(Int("numofdomains"), 1);
    }
}

TEST_F(DomainListTest, RemovingEntryOneOfThreeShiftsTheOthersDownAndLeavesTheOldLastInTheFile) {
    OnAddDomain(settings, {"a", "com", "secret1"});
    OnAddDomain(settings, {"b", "net", "secret2"});
    OnAddDomain(settings, {"c", "org", "secret3"});
    const DomainOutcome outcome = OnRemoveDomain(settings, {"a", "com", "secret1"});
    EXPECT_TRUE(outcome.carriedOut);
    EXPECT_TRUE(outcome.clearInputs);
    EXPECT_EQ(outcome.status, "Domain b.net, c.org loaded.");
    EXPECT_EQ(Int("numofdomains"), 2);
    EXPECT_EQ(Text("second_level", 1), "b");
    EXPECT_EQ(Text("password", 1), "secret2");
    EXPECT_EQ(Text("first_level", 2), "org");
    // The stale copy of the old last entry stays beyond the count, where no reader looks.
    EXPECT_EQ(Text("first_level", 3), "org");
    EXPECT_EQ(Text("second_level", 3), "c");
    EXPECT_EQ(Text("password", 3), "secret3");
}

TEST_F(DomainListTest, RemoveTakesOutTheFirstOfSeveralEqualEntriesOnly) {
    OnAddDomain(settings, {"dup", "com", "secret1"});
    OnAddDomain(settings, {"mid", "net", "secret2"});
    OnAddDomain(settings, {"dup", "com", "secret1"});
    EXPECT_EQ(OnRemoveDomain(settings, {"dup", "com", "secret1"}).status, "Domain mid.net, dup.com loaded.");
    EXPECT_EQ(Int("numofdomains"), 2);
}

TEST_F(DomainListTest, ClearAllWritesOnlyTheCountAndTheNextAddIsNumberOne) {
    OnAddDomain(settings, {"a", "com", "secret1"});
    OnAddDomain(settings, {"b", "net", "secret2"});
    EXPECT_EQ(OnClearAllDomains(settings).status, "No Domains Loaded!");
    EXPECT_EQ(Int("numofdomains"), 0);
    EXPECT_EQ(Text("second_level", 2), "b");

    EXPECT_EQ(OnAddDomain(settings, {"new", "org", "secret3"}).status, "Domain new.org loaded.");
    EXPECT_EQ(Int("numofdomains"), 1);
    EXPECT_EQ(Text("second_level", 1), "new");
    EXPECT_EQ(Text("second_level", 2), "b");
}

TEST_F(DomainListTest, ListTextDropsTheWholeRunOfTrailingCommasAndSpaces) {
    Seed({{"numofdomains", "2"},
          {"second_level1", "A"},
          {"first_level1", "x"},
          {"second_level2", "B"},
          {"first_level2", "y,, ,"}});
    EXPECT_EQ(BuildDomainListText(settings), "Domain A.x, B.y loaded.");
}

// Two processes adding at once: every Add holds the file from reading the count to writing it.
TEST_F(DomainListTest, TwoProcessesAddingAtOnceLoseNoEntry) {
    constexpr int kEach = 200;
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            SettingsFile own(settings.Path());
            for (int i = 0; i < kEach; ++i) {
                if (!OnAddDomain(own, {"p" + std::to_string(p) + "n" + std::to_string(i), "com", "secret1"}).carriedOut)
                    _exit(1);
            }
            _exit(0);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ASSERT_EQ(Int("numofdomains"), 2 * kEach);
    std::set<std::string> names;
    for (int n = 1; n <= 2 * kEach; ++n)
        names.insert(Text("second_level", n));
    EXPECT_EQ(names.size(), static_cast<std::size_t>(2 * kEach));
}

} // namespace
} // namespace zelto
