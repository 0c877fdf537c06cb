#include "config/FreshIpUpdate.h"

#include "SettingsFixture.h"
#include "fakes/FakePorts.h"

namespace zelto {
namespace {

constexpr const char* kWillOccur = "Fresh IP update will occur in a few moments!";
constexpr const char* kCouldNot = "Fresh IP update could not complete!";

class FreshIpUpdateTest : public testing::SettingsTest {
protected:
    fakes::FakeHttp http;
    fakes::FakeSound sound;

    void SetUp() override {
        Seed("updateserver=127.0.0.1:9");
        SeedDomains({{"a", "com", "secret1"}, {"", "net", "secret2"}});
    }
};

TEST_F(FreshIpUpdateTest, TheLastDomainThatAnsweredSuccessOrNothingDecides) {
    const auto fetch = [](const char* line) { return line ? HttpFetch{true, line} : HttpFetch{}; };
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"success", nullptr, kCouldNot}, {nullptr, "success", kWillOccur},  {"success", "failed", kWillOccur},
        {"failed", "", kCouldNot},       {"Success", "SUCCESS", kCouldNot}, {"success\r", "failed", kWillOccur},
    };
    for (const auto& [first, second, message] : cases) {
        fakes::FakeHttp scripted;
        scripted.Answer("second=a&", fetch(first));
        scripted.Answer("second=&", fetch(second));
        const FreshIpUpdateOutcome outcome = RunFreshIpUpdate(settings, scripted, sound);
        EXPECT_EQ(outcome.message, message) << (first ? first : "-") << " / " << (second ? second : "-");
        EXPECT_EQ(outcome.success, message == kWillOccur);
    }
}

// Through the update server's endpoints: its scheme, and the cafile as the session's trust.
TEST_F(FreshIpUpdateTest, SendsEveryEntryThroughOneSessionThenPlaysBleep) {
    settings.WriteText("updateserver", "https://127.0.0.1:8443");
    settings.WriteText("cafile", "/etc/zelto-premium/ca.pem");
    http.AnswerLine("initialize.asp", "success");
    EXPECT_TRUE(RunFreshIpUpdate(settings, http, sound).success);
    EXPECT_EQ(
        http.Requests(),
        (std::vector<std::string>{"https://127.0.0.1:8443/premium/initialize.asp?first=com&second=a&password=secret1",
                                  "https://127.0.0.1:8443/premium/initialize.asp?first=net&second=&password=secret2"}));
    EXPECT_EQ(http.TrustOpened(), std::vector<HttpTrust>{HttpTrust{"/etc/zelto-premium/ca.pem"}});
    EXPECT_EQ(std::pair(http.SessionsOpened(), http.SessionsClosed()), std::pair(1, 1));

    SeedDomains({});
    EXPECT_EQ(RunFreshIpUpdate(settings, http, sound).message, kCouldNot);
    EXPECT_EQ(http.Requests().size(), 2u);
    EXPECT_EQ(sound.Played(), (std::vector<std::string>{"BLEEP", "BLEEP"}));
}

} // namespace
} // namespace zelto
