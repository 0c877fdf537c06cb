// The automatic dial-up switch around one exchange.

#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "update/UpdateDomain.h"

#include <gtest/gtest.h>

#include <optional>

namespace zelto {
namespace {

using fakes::FakeAutodial;
using fakes::TempDir;

// Runs one exchange over the given switch and notes its value while the request is out and while the
// answer's message is on screen.
struct Observed {
    std::optional<std::uint32_t> duringRequest;
    std::optional<std::uint32_t> duringMessage;
};

Observed Exchange(SettingsFile& settings, FakeAutodial& autodial, HttpFetch answer) {
    fakes::FakeHttp http;
    fakes::FakeHostAddresses addresses;
    fakes::FakeClock clock;
    fakes::FakeNotices notices;
    fakes::FakeSound sound;
    EnginePorts ports{settings, http, autodial, addresses, clock, notices, sound};
    Observed observed;
    http.onRequest = [&](const std::string&) { observed.duringRequest = autodial.value; };
    notices.onMessage = [&](const std::string&) { observed.duringMessage = autodial.value; };
    http.Answer("update.asp", std::move(answer));
    auto session = http.Open();
    UpdateDomain(ports, *session, "com", "example", "secret1", "");
    return observed;
}

class DialUpGuardTest : public ::testing::Test {
protected:
    TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    FakeAutodial autodial;
};

struct GuardCase {
    const char* name;
    std::uint32_t before;
    HttpFetch answer;
    std::uint32_t during;
    std::uint32_t after;
    std::vector<std::uint32_t> writes;
};

void PrintTo(const GuardCase& c, std::ostream* out) {
    *out << c.name;
}

class GuardSequenceTest : public DialUpGuardTest, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(GuardSequenceTest, SwitchesOffForTheRequestAndBackOnAfter) {
    const GuardCase& c = GetParam();
    autodial.value = c.before;
    autodial.type = 4;
    Observed observed = Exchange(settings, autodial, c.answer);
    EXPECT_EQ(observed.duringRequest, c.during);
    EXPECT_EQ(autodial.value, c.after);
    EXPECT_EQ(autodial.writes, c.writes);
    EXPECT_EQ(autodial.type, 4u);
    EXPECT_FALSE(autodial.open) << "the setting is closed again";
}

INSTANTIATE_TEST_SUITE_P(Sequences, GuardSequenceTest,
                         ::testing::Values(GuardCase{"OnWithAnswer", 1, {true, "ip203.0.113.7"}, 0, 1, {0, 1}},
                                           GuardCase{"OnWithoutAnswer", 1, {false, {}}, 0, 1, {0, 1}},
                                           GuardCase{"OffLeftUntouched", 0, {true, "ip203.0.113.7"}, 0, 0, {}},
                                           // Back on as 1, not as the value read.
                                           GuardCase{"OtherValueRestoredAsOne", 7, {true, "success"}, 0, 1, {0, 1}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialUpGuardTest, StaysOffWhileAMessageIsOnScreen) {
    Observed observed = Exchange(settings, autodial, {true, "wrongpassword"});
    EXPECT_EQ(observed.duringMessage, 0u);
    EXPECT_EQ(autodial.value, 1u);
}

TEST_F(DialUpGuardTest, KeepsTheTypeAsRead) {
    autodial.type = 11;
    Exchange(settings, autodial, {true, "ip1.2.3.4"});
    EXPECT_EQ(autodial.writes, (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(autodial.type, 11u);
}

// Fails the first write only, so a wrong attempt to restore would show in the record of writes.
class FirstWriteFails : public FakeAutodial {
public:
    bool Write(std::uint32_t v, std::uint32_t t) override { return ++attempts_ > 1 && FakeAutodial::Write(v, t); }

private:
    int attempts_ = 0;
};

TEST_F(DialUpGuardTest, FailedSwitchOffRestoresNothing) {
    FirstWriteFails failing;
    Exchange(settings, failing, {true, "ip1.2.3.4"});
    EXPECT_TRUE(failing.writes.empty());
    EXPECT_EQ(failing.value, 1u);
}

TEST_F(DialUpGuardTest, MissingOrUnreadableSettingIsLeftAlone) {
    autodial.exists = false;
    Observed observed = Exchange(settings, autodial, {true, "ip1.2.3.4"});
    EXPECT_EQ(observed.duringRequest, 1u);
    EXPECT_TRUE(autodial.writes.empty());

    FakeAutodial unreadable;
    unreadable.readable = false;
    Exchange(settings, unreadable, {true, "ip1.2.3.4"});
    EXPECT_TRUE(unreadable.writes.empty());
    EXPECT_FALSE(unreadable.open);
}

} // namespace
} // namespace zelto
