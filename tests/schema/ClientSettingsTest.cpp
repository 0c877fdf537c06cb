// The schema's defaults and its reading of what a hand-edited or foreign file may hold.

#include "schema/ClientSettings.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace zelto {
namespace {

class ClientSettingsTest : public ::testing::Test {
protected:
    fakes::TempDir dir;
    SettingsFile file{dir.File("ZeltoPre.INI")};
    ClientSettings settings{file};
};

TEST_F(ClientSettingsTest, AnUnknownOrEmptyMethodReadsAsTheDialogAndTheEngineTakeIt) {
    const struct {
        const char* stored;
        AddressMethod dialog;
        AddressMethod engine;
        std::optional<int> number;
    } cases[] = {
        // A number no program writes: the dialog offers Both, the engine detects on the client side.
        {"4", AddressMethod::Both, AddressMethod::Client, 4},
        {"", AddressMethod::Both, AddressMethod::Server, std::nullopt},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(file.WriteText("ipmethod", c.stored));
        EXPECT_EQ(settings.DialogMethod(), c.dialog) << c.stored;
        EXPECT_EQ(settings.EngineMethod(), c.engine) << c.stored;
        EXPECT_EQ(settings.StoredMethodNumber(), c.number) << c.stored;
    }
}

TEST_F(ClientSettingsTest, ListsHoldEntriesOneToTheCountAndANegativeCountHoldsNone) {
    fakes::WriteFile(file.Path(), "[Zelto Systems Premium]\nnumofdomains=2\nsecond_level1=a\nfirst_level1=com\n"
                                  "password1=pass_a\nfirst_level2=net\nsecond_level3=stale\n"
                                  "numofignoreip=-3\nignoreip1=10.0.0.1\n");
    EXPECT_EQ(settings.Domains(), (std::vector<DomainEntry>{{"a", "com", "pass_a"}, {"", "net", ""}}));
    EXPECT_FALSE(settings.Domains()[1].Complete());
    EXPECT_TRUE(settings.IgnoredAddresses().empty());
    ASSERT_TRUE(file.WriteText("numofdomains", "-1"));
    EXPECT_EQ(settings.DomainCount(), -1);
    EXPECT_TRUE(settings.Domains().empty());
}

TEST_F(ClientSettingsTest, AppendStopsAtTheThousandthDomain) {
    ASSERT_TRUE(file.WriteText("numofdomains", "999"));
    EXPECT_EQ(settings.AppendDomain({"a", "com", "secret1"}), ClientSettings::Append::Full);
    EXPECT_EQ(file.ReadText("password1000"), "");
    ASSERT_TRUE(file.WriteText("numofdomains", "998"));
    EXPECT_EQ(settings.AppendDomain({"a", "com", "secret1"}), ClientSettings::Append::Done);
    EXPECT_EQ(settings.Domain(999), (DomainEntry{"a", "com", "secret1"}));
}

// A pause lasts while its entry, the wait after failures while what shapes the requests stays as it was.
TEST_F(ClientSettingsTest, PausesAndTheWaitLastWhileWhatTheyWereMadeForStaysAsItWas) {
    const DomainEntry entry{"example", "com", "Secret12"};
    const DomainPause pause{Refusal::Expired, 1765232460};
    const FailureWait wait{2, 1765232490, {RequestResult::NoAnswer, HttpFailure::TimedOut, 0, 1765232460}};
    const RecordedUpdate record{"203.0.113.7", {"10", "073", "2025"}, 1765232400};
    const DomainEntry other{"other", "net", "Secret12"};
    const std::array<int, 4> fixed{203, 0, 113, 9};
    const struct {
        const char* name;
        std::function<void()> change;
        bool paused, waiting;
    } cases[] = {
        {"nothing changed", [] {}, true, true},
        {"the engine's own records", [&] { settings.WriteUpdateRecord(record); }, true, true},
        {"another password", [&] { file.WriteText("password1", "Secret13"); }, false, false},
        {"removed and added again", [&] { settings.RemoveDomainAt(1), settings.AppendDomain(entry); }, false, true},
        {"another domain", [&] { settings.AppendDomain(other); }, true, false},
        {"the update server", [&] { settings.WriteUpdateServer("127.0.0.1:8080"); }, true, false},
        {"cafile", [&] { settings.WriteCaFile("/etc/ssl/ca.pem"); }, true, false},
        {"the address method", [&] { settings.WriteAddressMethod(AddressMethod::Client); }, true, false},
        {"the fixed address", [&] { settings.WriteFixedAddress(fixed); }, true, false},
        {"the ignore list", [&] { settings.AppendIgnoredAddress("10.0.0.1"); }, true, false},
        {"the user resumed", [&] { settings.ResumeUpdates(); }, false, false},
        {"a start", [&] { settings.ClearPauses(); }, false, true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(file.Path());
        ASSERT_EQ(settings.AppendDomain(entry), ClientSettings::Append::Done);
        ASSERT_TRUE(settings.WritePause(1, entry, pause));
        ASSERT_TRUE(settings.WriteFailureWait(wait, settings.RequestsFingerprint()));
        c.change();
        EXPECT_EQ(settings.Pause(1), c.paused ? std::optional(pause) : std::nullopt) << c.name;
        EXPECT_EQ(settings.PausedDomains().size(), c.paused ? 1U : 0U) << c.name;
        EXPECT_EQ(settings.StoredFailureWait(), c.waiting ? std::optional(wait) : std::nullopt) << c.name;
    }
}

} // namespace
} // namespace zelto
