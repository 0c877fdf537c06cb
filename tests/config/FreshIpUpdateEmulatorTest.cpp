// The fresh IP update over the real HTTP adapter against the local service emulator.
#include "config/FreshIpUpdate.h"

#include "ServiceEmulator.h"
#include "SettingsFixture.h"
#include "fakes/FakePorts.h"
#include "platform/linux/CurlHttpSession.h"

namespace zelto {
namespace {

class FreshIpUpdateEmulatorTest : public testing::SettingsTest {
protected:
    emulator::ServiceEmulator service{emulator::Options{0, std::chrono::seconds(30), "", false}};
    CurlHttpSessionFactory http{"zelto-premium",
                                HttpTimeouts{std::chrono::milliseconds(2000), std::chrono::milliseconds(3000)}};
    fakes::FakeSound sound;

    void SetUp() override {
        service.AddAccount({"alpha", "com", "secret1"});
        Seed({{"updateserver", service.HostPort().c_str()}});
    }

    void Domains(std::initializer_list<std::array<const char*, 3>> entries) {
        int n = 0;
        for (const auto& [second, first, password] : entries) {
            ++n;
            settings.WriteText(IndexedKey("second_level", n), second);
            settings.WriteText(IndexedKey("first_level", n), first);
            settings.WriteText(IndexedKey("password", n), password);
        }
        settings.WriteInt("numofdomains", n);
    }
};

TEST_F(FreshIpUpdateEmulatorTest, AnAcceptedDomainFollowedByARefusedOneSucceeds) {
    Domains({{"alpha", "com", "secret1"}, {"alpha", "com", "wrong12"}});
    const FreshIpUpdateOutcome outcome = RunFreshIpUpdate(settings, http, sound);
    EXPECT_EQ(outcome.message, "Fresh IP update will occur in a few moments!");
    EXPECT_EQ(service.Requests(), 2);
    EXPECT_EQ(sound.Played(), std::vector<std::string>{"BLEEP"});
}

TEST_F(FreshIpUpdateEmulatorTest, AClosedConnectionIsNoResponse) {
    Domains({{"alpha", "com", "secret1"}});
    emulator::Fault fault;
    fault.kind = emulator::Fault::Kind::CloseWithoutAnswer;
    service.SetFault(fault);
    EXPECT_EQ(RunFreshIpUpdate(settings, http, sound).message, "Fresh IP update could not complete!");
}

} // namespace
} // namespace zelto
