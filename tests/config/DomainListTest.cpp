#include "config/DomainList.h"

#include "SettingsFixture.h"

namespace zelto {
namespace {

using DomainListTest = testing::SettingsTest;

TEST_F(DomainListTest, AddValidatesTheBoxesInOrderAndAppendsEvenDuplicates) {
    const struct {
        DomainInput input;
        const char* status;
        int count; // numofdomains afterwards; -1 while the file holds none
    } steps[] = {
        {{"", "", ""}, "Invalid Domain Name!", -1},
        {{"my host", "com", "secret1"}, "Invalid Domain Name!", -1},
        {{"o'neil", "c m", ""}, "Invalid Domain Name!", -1},
        {{"example", "", ""}, "Invalid Top Level", -1},
        {{"example", "co uk", "secret1"}, "Invalid Top Level", -1},
        {{"example", "c'm", "secret1"}, "Invalid Top Level", -1},
        {{"example", "com", "12345"}, "Password must be 6-8 characters!", -1},
        {{"example", "com", "123456789"}, "Password must be 6-8 characters!", -1},
        // Longer than a settings read returns, or a line break that would start a key of its own.
        {{std::string(69, 'a'), "com", "secret1"}, "Invalid Domain Name!", -1},
        {{"ex\nnumofdomains=5", "com", "secret1"}, "Invalid Domain Name!", -1},
        {{"a", "com", "123456"}, "Domain a.com loaded.", 1},
        {{"b-2", "CO_UK", "12345678"}, "Domain a.com, b-2.CO_UK loaded.", 2},
        {{"a", "com", "123456"}, "Domain a.com, b-2.CO_UK, a.com loaded.", 3},
    };
    for (const auto& step : steps) {
        const DomainOutcome outcome = OnAddDomain(settings, step.input);
        EXPECT_EQ(outcome.carriedOut, step.count > 0) << step.input.domain;
        EXPECT_EQ(outcome.status, step.status) << step.input.domain;
        EXPECT_EQ(Int("numofdomains"), step.count) << step.input.domain;
    }
}

TEST_F(DomainListTest, RemoveTakesTheFirstExactMatchAndShiftsTheRestDownAndClearKeepsTheEntries) {
    for (const char* name : {"a", "b", "c"})
        OnAddDomain(settings, {name, "com", std::string("pass_") + name});
    for (const DomainInput& miss : {DomainInput{"a", "com", "pass_b"}, DomainInput{"a", "Com", "pass_a"},
                                    DomainInput{"A", "com", "pass_a"}, DomainInput{"", "", ""}}) {
        const DomainOutcome outcome = OnRemoveDomain(settings, miss);
        EXPECT_TRUE(outcome.clearInputs && !outcome.carriedOut);
        EXPECT_EQ(outcome.status, "Domain a.com, b.com, c.com loaded.");
    }
    EXPECT_EQ(OnRemoveDomain(settings, {"a", "com", "pass_a"}).status, "Domain b.com, c.com loaded.");
    EXPECT_EQ(Text("password2"), "pass_c");
    // The old last entry stays beyond the count, where no reader looks, until an add overwrites it.
    EXPECT_EQ(Text("second_level3"), "c");
    EXPECT_EQ(OnAddDomain(settings, {"b", "com", "pass_b"}).status, "Domain b.com, c.com, b.com loaded.");
    EXPECT_EQ(OnRemoveDomain(settings, {"b", "com", "pass_b"}).status, "Domain c.com, b.com loaded.");

    EXPECT_EQ(OnClearAllDomains(settings).status, "No Domains Loaded!");
    EXPECT_EQ(Int("numofdomains"), 0);
    EXPECT_EQ(Text("second_level2"), "b");
    EXPECT_EQ(OnAddDomain(settings, {"new", "org", "secret3"}).status, "Domain new.org loaded.");
    EXPECT_EQ(Text("second_level1"), "new");
}

TEST_F(DomainListTest, ListTextDropsTheWholeRunOfTrailingCommasAndSpaces) {
    Seed("numofdomains=2\nsecond_level1=A\nfirst_level1=x\nsecond_level2=B\nfirst_level2=y,, ,");
    EXPECT_EQ(BuildDomainListText(settings), "Domain A.x, B.y loaded.");
}

TEST_F(DomainListTest, AThousandthDomainChangesNothing) {
    Seed("numofdomains=999");
    EXPECT_EQ(OnAddDomain(settings, {"example", "com", "secret1"}).status, "Domain list is full!");
    EXPECT_EQ(Text("first_level1000"), "");
}

} // namespace
} // namespace zelto
