// The desktop session on fakes: the start-up order, the first-run rule, the tray's commands and the one way out.
#include "desktop/DesktopSession.h"
#include "desktop/DesktopCommands.h"
#include "desktop/HandOverRetry.h"
#include "desktop/HeldSettingsFile.h"
#include "desktop/PropertiesModel.h"

#include "SettingsFixture.h"
#include "fakes/FakePorts.h"

#include <algorithm>
#include <future>
#include <mutex>
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
    void RaiseProperties() override { events.push_back("raise"); }
    void OpenUrl(const std::string& url) override { events.push_back("open " + url); }
    void CloseNotices() override { events.push_back("close notices"); }
    void EndProcess(int code) override { events.push_back("end " + std::to_string(code)); }
    void PostToGui(std::function<void()> task) override { posted.Post(std::move(task)); }
    fakes::PostedTasks posted;
};

struct SilentView : PropertiesView {
    void ShowTexts(const PropertiesFields&) override {}
    void ShowMessage(const std::string&) override {}
    void SetBusy(bool) override {}
    void CloseDialog() override {}
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
};

// With no domain the Properties dialog runs once the icon, the splash and the update cycle are up; its Quit
// takes the one way out.
TEST_F(DesktopSessionTest, FirstRunOpensPropertiesAfterEverythingElseAndItsQuitLeaves) {
    DesktopSession session(settings, platform, fakes.notices, shell, fast);
    bool cycleRan = false;
    shell.onProperties = [&](DialogContext& context) {
        const std::vector<std::string> played = sound.WaitForPlayed(1);
        cycleRan = !played.empty() && played.front() == "INTROSOUND";
        context.quit();
    };
    session.Start();
    EXPECT_TRUE(cycleRan);
    EXPECT_TRUE(session.Ended());
    EXPECT_EQ(shell.events, (std::vector<std::string>{"tray Zelto Premium Online!", "splash 2000", "properties", "hide",
                                                      "OUCH", "close notices", "end 0"}));
}

// With a domain only the tray's commands open anything (the pages are opened for real in desktop_sessions.py);
// a second start raises the Properties dialog open, or else runs it.
TEST_F(DesktopSessionTest, WithADomainOnlyTheTrayCommandsOpenAnything) {
    Seed("numofdomains=1");
    DesktopSession session(settings, platform, fakes.notices, shell, fast);
    DesktopCommands commands;
    commands.Attach(session);
    session.Start();
    shell.onProperties = [&](DialogContext&) { session.ShowProperties(); };
    commands.Run(TrayCommand::Properties);
    shell.onProperties = [](DialogContext&) {};
    session.ShowProperties();
    EXPECT_EQ(shell.events, (std::vector<std::string>{"tray Zelto Premium Online!", "splash 2000", "properties",
                                                      "raise", "properties"}));
    EXPECT_FALSE(session.Ended());
}

// An Exit that comes while start-up still makes the session (an installer closing every client) is kept,
// and leaves once the session exists, before its start-up shows anything.
TEST_F(DesktopSessionTest, AnExitDuringStartUpLeavesOnceTheSessionExists) {
    DesktopCommands commands;
    commands.Run(TrayCommand::Exit);
    DesktopSession session(settings, platform, fakes.notices, shell, fast);
    EXPECT_TRUE(shell.events.empty());
    commands.Attach(session);
    EXPECT_TRUE(session.Ended());
    EXPECT_EQ(shell.events, (std::vector<std::string>{"hide", "OUCH", "close notices", "end 0"}));
}

// Exit while the update thread has shown an account message: the box is no reason to wait, the cycle
// stops normally (the dial-up setting it switched off is back), and a second Exit does nothing.
TEST_F(DesktopSessionTest, ExitAfterAnAccountMessageStopsTheCycleAndRestoresDialUp) {
    SeedDomains({{"a", "com", "secret1"}});
    Seed("ipmethod=0");
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
}

// A start on a file another client holds (a desktop client there takes over, as desktop_sessions.py's second
// start shows): one that does not answer, or any other holder, is told in a message box that names its process
// twice, as the holder and in how to stop it.
TEST(HeldSettingsFileTest, ADesktopHolderTakesOverAnyOtherIsToldWithHowToStopIt) {
    const struct {
        InstanceHolder holder;
        bool handedOver;
        int exitCode;
        int pidsTold; // how often the message names process 4242; -1: no message
    } cases[] = {
        {{4242, ClientKind::Desktop}, false, 1, 1},
        {{4242, ClientKind::Headless}, true, 1, 2},
    };
    for (const auto& c : cases) {
        std::optional<std::string> told;
        int handOvers = 0;
        EXPECT_EQ(OnHeldSettingsFile(
                      "ZeltoPre.INI", c.holder, [&] { return ++handOvers, c.handedOver; },
                      [&](const std::string& text) { told = text; }),
                  c.exitCode);
        EXPECT_EQ(handOvers, c.holder.kind == ClientKind::Desktop ? 1 : 0);
        int pids = told ? 0 : -1;
        for (std::size_t at = 0; told && (at = told->find("4242", at)) != std::string::npos; at += 4)
            ++pids;
        EXPECT_EQ(pids, c.pidsTold) << told.value_or("");
    }
}

// A second start tries again while the running client may still be starting, and gives up in time.
TEST(HandOverRetryTest, TriesAgainWhileTheClientStartsAndGivesUpInTime) {
    for (const int reachableAt : {3, 0}) { // 0: never
        int tries = 0;
        std::chrono::milliseconds waited{0};
        const bool reached = ReachRunningClient([&] { return ++tries == reachableAt; },
                                                [&](std::chrono::milliseconds time) { waited += time; });
        EXPECT_EQ(reached, reachableAt != 0);
        EXPECT_EQ(waited, reachableAt != 0 ? 2 * kHandOverInterval : kHandOverPatience);
    }
}

// Quit while Force IP Update waits for a service that never answers: the request ends, and neither "BLEEP"
// nor a message comes before the program ends.
TEST_F(DesktopSessionTest, QuitWhileForceIpUpdateWaitsEndsItAtOnce) {
    SeedDomains({{"a", "com", "secret1"}});
    fakes.http.silent = true;
    std::promise<void> inFlight;
    std::once_flag once;
    fakes.http.onRequest = [&](const std::string& url) {
        if (url.find("initialize.asp") != std::string::npos)
            std::call_once(once, [&] { inFlight.set_value(); });
    };
    DesktopSession session(settings, platform, fakes.notices, shell, fast);
    session.Start();
    SilentView view;
    DialogContext* dialogs = nullptr;
    shell.onProperties = [&](DialogContext& context) {
        dialogs = &context;
        PropertiesModel model(context, view);
        model.OnForceIpUpdate();
        inFlight.get_future().wait();
        model.OnCancel();
    };
    session.OnProperties();
    EXPECT_TRUE(session.Ended());
    ASSERT_NE(dialogs, nullptr);
    EXPECT_FALSE(dialogs->worker.Busy());
    const std::vector<std::string> played = sound.Played();
    EXPECT_EQ(std::count(played.begin(), played.end(), "BLEEP"), 0);
    EXPECT_TRUE(fakes.notices.Messages().empty());
    EXPECT_EQ(shell.events.back(), "end 0");
}

} // namespace
} // namespace zelto
