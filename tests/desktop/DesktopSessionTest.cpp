// The desktop session on fakes: the start-up order, the first-run rule, the tray's commands and the one way out.
#include "desktop/DesktopSession.h"

#include "SettingsFixture.h"
#include "fakes/FakePorts.h"
#include "update/ServiceEndpoints.h"

#include <thread>

namespace zelto {
namespace {

// A skin that records what the session asked of it, in order.
struct RecordingShell : DesktopShell {
    std::vector<std::string> events;
    std::function<void(DialogContext&)> onProperties = [](DialogContext&) {};
    bool trayReached = true;
    bool ShowTray(const std::string& tooltip) override {
        events.push_back("tray " + tooltip);
        return trayReached;
    }
    void HideTray() override { events.push_back("hide"); }
    void ShowSplash(std::chrono::milliseconds time) override {
        events.push_back("splash " + std::to_string(time.count()));
    }
    void RunProperties(DialogContext& context) override {
        events.push_back("properties");
        onProperties(context);
    }
    void OpenUrl(const std::string& url) override { events.push_back("open " + url); }
    void CloseNotices() override { events.push_back("close notices"); }
    void EndProcess(int code) override { events.push_back("end " + std::to_string(code)); }
};

// Records each cue as an event of the shell, so that its place in the sequence shows.
struct SequencedSound : fakes::FakeSound {
    explicit SequencedSound(RecordingShell& shell) : shell_(shell) {}
    bool PlaySoundCue(std::string_view name) override {
        if (name == "OUCH")
            shell_.events.push_back("OUCH");
        return FakeSound::PlaySoundCue(name);
    }
    RecordingShell& shell_;
};

class DesktopSessionTest : public testing::SettingsTest {
protected:
    fakes::FakeWorld fakes{settings};
    RecordingShell shell;
    SequencedSound sound{shell};
    PlatformPorts platform{fakes.http, fakes.autodial, fakes.addresses, fakes.clock, sound};
    CycleTiming fast{std::chrono::milliseconds(5), std::chrono::milliseconds(5)};

    bool CycleStarted() {
        const std::vector<std::string> played = sound.WaitForPlayed(1);
        return !played.empty() && played.front() == "INTROSOUND";
    }
};

// With no domain the Properties dialog runs once the icon, the splash and the update cycle are up; its Quit
// takes the one way out.
TEST_F(DesktopSessionTest, FirstRunOpensPropertiesAfterEverythingElseAndItsQuitLeaves) {
    DesktopSession session(settings, platform, fakes.notices, shell, fast);
    bool cycleRan = false;
    shell.onProperties = [&](DialogContext& context) {
        cycleRan = CycleStarted();
        context.quit();
    };
    session.Start();
    EXPECT_TRUE(cycleRan);
    EXPECT_TRUE(session.Ended());
    EXPECT_EQ(shell.events, (std::vector<std::string>{"tray Zelto Premium Online!", "splash 2000", "properties", "hide",
                                                      "OUCH", "close notices", "end 0"}));
}

TEST_F(DesktopSessionTest, WithADomainOnlyTheTrayCommandsOpenAnything) {
    Seed("numofdomains=1\nwebsite=127.0.0.1:8080");
    DesktopSession session(settings, platform, fakes.notices, shell, fast);
    session.Start();
    session.OnWebInterface();
    session.OnHomepage();
    session.OnProperties();
    const ServiceEndpoints pages(settings);
    EXPECT_EQ(shell.events,
              (std::vector<std::string>{"tray Zelto Premium Online!", "splash 2000", "open " + pages.WebInterfacePage(),
                                        "open " + pages.HomePage(), "properties"}));
    EXPECT_FALSE(session.Ended());
}

// Exit while the update thread has shown an account message: the box is no reason to wait, the cycle
// stops normally (the dial-up setting it switched off is back), and a second Exit does nothing.
TEST_F(DesktopSessionTest, ExitAfterAnAccountMessageStopsTheCycleAndRestoresDialUp) {
    Seed("numofdomains=1\nsecond_level1=a\nfirst_level1=com\npassword1=secret1\nipmethod=0");
    fakes.autodial.value = 1;
    fakes.http.AnswerLine("update.asp", "expired");
    DesktopSession session(settings, platform, fakes.notices, shell, fast);
    session.Start();
    ASSERT_FALSE(fakes.notices.WaitForMessages(1).empty());
    session.OnExit();
    session.OnExit();
    EXPECT_EQ(fakes.autodial.value, 1u);
    EXPECT_EQ(shell.events, (std::vector<std::string>{"tray Zelto Premium Online!", "splash 2000", "hide", "OUCH",
                                                      "close notices", "end 0"}));
    const std::size_t requests = fakes.http.Requests().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(fakes.http.Requests().size(), requests); // the cycle has ended
}

} // namespace
} // namespace zelto
