// What one exchange shows and records for each answer.

#include "update/UpdateDomain.h"
#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace zelto {
namespace {

using fakes::FakeClock;
using fakes::FakeWorld;
using fakes::TempDir;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char* const kExpired = "Your subscription for example.com has expired! Please visit "
                             "http://www.zelto.com/register.htm to re-activate your subscription!";
const char* const kNoDomain = "Domain *.example.com does not exist! Please visit http://www.zelto.com/register.htm "
                              "to create your subscription or correct the domain in properties!";
const char* const kWrongPassword =
    "Password for domain *.example.com is incorrect! Please enter the correct password in properties!";

class UpdateDomainTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Nine hours east of UTC: a stamp taken in UTC instead of local time shows another hour, day and year.
        ::setenv("TZ", "JST-9", 1);
        ::tzset();
        world.clock.now = FakeClock::At(2025, 1, 1, 5, 30, 0);
    }

    DomainExchange Run(HttpFetch fetch, const std::string& address = "") {
        world.http.Answer("/premium/update.asp", std::move(fetch), true);
        auto session = world.http.Open();
        return UpdateDomain(world.ports, *session, "com", "example", "secret1", address);
    }

    std::string Read(const char* key) const { return settings.ReadText(key); }

    TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    FakeWorld world{settings};
};

// Lines as the session delivers them: everything before the first line feed, carriage returns included.
struct AnswerCase {
    const char* name;
    const char* firstLine;
    const char* message;    // nullptr: none
    const char* registered; // nullptr: no record, no tooltip
};

void PrintTo(const AnswerCase& c, std::ostream* out) {
    *out << c.name;
}

class AnswerTableTest : public UpdateDomainTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTableTest, ShowsAndRecordsWhatTheAnswerMeans) {
    const AnswerCase& c = GetParam();
    DomainExchange exchange = Run(HttpFetch{true, c.firstLine});
    EXPECT_TRUE(exchange.obtained);

    if (c.message)
        EXPECT_THAT(world.notices.Messages(), ElementsAre(c.message));
    else
        EXPECT_THAT(world.notices.Messages(), IsEmpty());

    if (c.registered) {
        EXPECT_THAT(world.notices.Tooltips(),
                    ElementsAre(std::string("Zelto Premium Online! IP Address->") + c.registered));
        EXPECT_EQ(Read("updatedip"), c.registered);
        EXPECT_EQ(Read("updatedhour"), "05");
        EXPECT_TRUE(exchange.recordWritten);
    } else {
        EXPECT_THAT(world.notices.Tooltips(), IsEmpty());
        EXPECT_FALSE(std::filesystem::exists(settings.Path())) << "nothing may be written";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AnswerTableTest,
    ::testing::Values(AnswerCase{"Expired", "expired", kExpired, nullptr},
                      AnswerCase{"NoDomain", "nodomain", kNoDomain, nullptr},
                      AnswerCase{"WrongPassword", "wrongpassword", kWrongPassword, nullptr},
                      AnswerCase{"ExpiredWithCarriageReturn", "expired\r", kExpired, nullptr},
                      AnswerCase{"IpWithCarriageReturn", "ip203.0.113.7\r", nullptr, "203.0.113.7"},
                      AnswerCase{"IpAlone", "ip", nullptr, ""},
                      AnswerCase{"IpTextNotValidated", "ipnot an address", nullptr, "not an address"},
                      AnswerCase{"IpNotAtStart", "zip203.0.113.7", nullptr, nullptr},
                      AnswerCase{"UpperCaseKeyword", "Expired", nullptr, nullptr},
                      AnswerCase{"KeywordPrefix", "nodomains", nullptr, nullptr},
                      AnswerCase{"UpperCaseIp", "IP203.0.113.7", nullptr, nullptr},
                      AnswerCase{"Success", "success", nullptr, nullptr}, AnswerCase{"Empty", "", nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateDomainTest, RecordTakesLocalHourDayAndYear) {
    Run(HttpFetch{true, "ip203.0.113.7"});
    EXPECT_EQ(Read("updatedip"), "203.0.113.7");
    EXPECT_EQ(Read("updatedhour"), "05");
    EXPECT_EQ(Read("updatedday"), "001");
    EXPECT_EQ(Read("updatedyear"), "2025");
}

// A clock that moves on by a second at every reading.
class TickingClock : public Clock {
public:
    explicit TickingClock(std::time_t start) : next_(start) {}
    std::time_t Now() const override { return next_++; }

private:
    mutable std::time_t next_;
};

TEST_F(UpdateDomainTest, RecordComesFromOneClockReading) {
    // Read more than once, the clock would cross into a new year between the hour and the year.
    TickingClock clock(FakeClock::At(2024, 12, 31, 23, 59, 59));
    EnginePorts ports{settings, world.http, world.autodial, world.addresses, clock, world.notices, world.sound};
    world.http.AnswerLine("/premium/update.asp", "ip203.0.113.7");
    auto session = world.http.Open();
    UpdateDomain(ports, *session, "com", "example", "secret1", "");
    EXPECT_EQ(Read("updatedhour"), "23");
    EXPECT_EQ(Read("updatedday"), "366");
    EXPECT_EQ(Read("updatedyear"), "2024");
}

TEST_F(UpdateDomainTest, NoAnswerShowsAndWritesNothing) {
    DomainExchange exchange = Run(HttpFetch{false, "ip203.0.113.7"});
    EXPECT_FALSE(exchange.obtained);
    EXPECT_THAT(world.notices.Messages(), IsEmpty());
    EXPECT_THAT(world.notices.Tooltips(), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(settings.Path()));
}

TEST_F(UpdateDomainTest, EachRequestIsLoggedOnceWithoutThePassword) {
    Run(HttpFetch{true, "ip203.0.113.7\r"}, "203.0.113.7");
    Run(HttpFetch{false, {}});
    EXPECT_THAT(world.notices.Exchanges(),
                ElementsAre("http://dynamic.zelto.com/premium/update.asp?first=com&second=example&password=***"
                            "&ip_address=203.0.113.7 -> ip203.0.113.7",
                            "http://dynamic.zelto.com/premium/update.asp?first=com&second=example&password=***"
                            " -> no answer"));
}

TEST_F(UpdateDomainTest, RegistrationPageFollowsTheWebsiteSetting) {
    settings.WriteText("website", "127.0.0.1:8081");
    Run(HttpFetch{true, "nodomain"});
    EXPECT_THAT(world.notices.Messages(),
                ElementsAre("Domain *.example.com does not exist! Please visit http://127.0.0.1:8081/register.htm "
                            "to create your subscription or correct the domain in properties!"));
}

TEST_F(UpdateDomainTest, UnwritableRecordIsReported) {
    std::filesystem::create_directory(settings.Path()); // a folder where the file should be
    DomainExchange exchange = Run(HttpFetch{true, "ip203.0.113.7"});
    EXPECT_FALSE(exchange.recordWritten);
    ASSERT_EQ(world.notices.Exchanges().size(), 1u);
    EXPECT_NE(world.notices.Exchanges().front().find("could not be written"), std::string::npos);
}

} // namespace
} // namespace zelto
