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
        Seed({{"updateserver", "127.0.0.1:9"},
              {"numofdomains", "2"},
              {"first_level1", "com"},
              {"second_level1", "a"},
              {"password1", "secret1"},
              {"first_level2", "net"},
              {"second_level2", "b"},
              {"password2", "secret2"}});
    }
};

const HttpFetch kNoResponse{false, ""};
HttpFetch Line(const char* line) {
    return HttpFetch{true, line};
}

TEST_F(FreshIpUpdateTest, TheLastDomainThatAnsweredSuccessOrNothingDecides) {
    const struct {
        const char* name;
        HttpFetch first;
        HttpFetch second;
        const char* message;
    } cases[] = {
        {"success, then unreachable", Line("success"), kNoResponse, kCouldNot},
        {"unreachable, then success", kNoResponse, Line("success"), kWillOccur},
        {"success, then another answer", Line("success"), Line("failed"), kWillOccur},
        {"another answer, then success", Line("expired"), Line("success"), kWillOccur},
        {"other answers only", Line("failed"), Line(""), kCouldNot},
        {"letter case counts", Line("Success"), Line("SUCCESS"), kCouldNot},
        {"a trailing blank counts", Line("success "), Line("ok"), kCouldNot},
        {"carriage returns are not part of the line", Line("success\r"), Line("failed"), kWillOccur},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::FakeHttp scripted;
        scripted.Answer("second=a&", c.first);
        scripted.Answer("second=b&", c.second);
        const FreshIpUpdateOutcome outcome = RunFreshIpUpdate(settings, scripted, sound);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(outcome.success, c.message == kWillOccur);
        EXPECT_EQ(scripted.Requests().size(), 2u);
    }
}

TEST_F(FreshIpUpdateTest, SendsEveryEntryThroughOneSessionThenPlaysBleep) {
    Seed({{"second_level2", ""}});
    http.AnswerLine("initialize.asp", "success");
    EXPECT_TRUE(RunFreshIpUpdate(settings, http, sound).success);
    EXPECT_EQ(http.Requests(), (std::vector<std::string>{
                                   "http://127.0.0.1:9/premium/initialize.asp?first=com&second=a&password=secret1",
                                   "http://127.0.0.1:9/premium/initialize.asp?first=net&second=&password=secret2",
                               }));
    EXPECT_EQ(http.SessionsOpened(), 1);
    EXPECT_EQ(http.SessionsClosed(), 1);
    EXPECT_EQ(sound.Played(), std::vector<std::string>{"BLEEP"});
}

TEST_F(FreshIpUpdateTest, NoDomainsSendsNothingAndFails) {
    Seed({{"numofdomains", "0"}});
    http.AnswerLine("", "success");
    const FreshIpUpdateOutcome outcome = RunFreshIpUpdate(settings, http, sound);
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.message, kCouldNot);
    EXPECT_TRUE(http.Requests().empty());
    EXPECT_EQ(sound.Played(), std::vector<std::string>{"BLEEP"});
}

TEST_F(FreshIpUpdateTest, NoSessionCountsAsNoResponse) {
    http.failOpen = true;
    EXPECT_EQ(RunFreshIpUpdate(settings, http, sound).message, kCouldNot);
    EXPECT_EQ(sound.Played(), std::vector<std::string>{"BLEEP"});
}

} // namespace
} // namespace zelto
