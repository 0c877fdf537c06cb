// The Properties and Ignore IP List dialogs' decisions and the tray's, as both skins run them.
#include "desktop/DialogWorker.h"
#include "desktop/IgnoreListModel.h"
#include "desktop/PausedTooltip.h"
#include "desktop/PropertiesModel.h"
#include "desktop/TrayState.h"

#include "SettingsFixture.h"
#include "fakes/FakePorts.h"

namespace zelto {
namespace {

// What a skin was asked to do, in order: "texts DOMAIN|TOP|PASSWORD" (the status box in `status`), "message
// TEXT", "busy 1/0", "closed", "list TEXT".
struct RecordingView : PropertiesView, IgnoreListView {
    std::vector<std::string> events;
    std::string status;
    void ShowTexts(const PropertiesFields& f) override {
        status = f.status;
        events.push_back("texts " + f.input.domain + "|" + f.input.topLevel + "|" + f.input.password);
    }
    void ShowMessage(const std::string& text) override { events.push_back("message " + text); }
    void SetBusy(bool busy) override { events.push_back(busy ? "busy 1" : "busy 0"); }
    void CloseDialog() override { events.push_back("closed"); }
    void ShowList(const std::string& text) override { events.push_back("list " + text); }
};

bool Says(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class DesktopModelsTest : public testing::SettingsTest {
protected:
    fakes::FakeHttp http;
    fakes::FakeSound sound;
    int quits = 0;
    fakes::PostedTasks gui;
    DialogWorker worker{[this](std::function<void()> task) { gui.Post(std::move(task)); }};
    std::vector<std::string> told; // the session's own boxes
    DialogContext context{
        settings, http, sound, [this] { ++quits; }, worker, [this](const std::string& text) { told.push_back(text); }};
    RecordingView view;
};

// The prompt without domains, else the list; the stored method and the fixed address, each part in 0-255.
TEST_F(DesktopModelsTest, PropertiesOpenWithTheStoredDomainsMethodAndAddress) {
    EXPECT_TRUE(Says(PropertiesModel(context, view).Fields().status, "Please enter domain"));
    SeedDomains({{"a", "com", "secret1"}});
    Seed("ipmethod=3\none=10\ntwo=300\nthree=-1\nfour=4");
    const PropertiesModel model(context, view);
    EXPECT_EQ(model.Fields().status, "Domain a.com loaded.");
    EXPECT_EQ(model.Fields().method, AddressMethod::Fixed);
    EXPECT_EQ(model.Fields().fixedAddress, (AddressFields{{10, 255, 0, 4}}));
    EXPECT_TRUE(view.events.empty()); // nothing is pushed before the skin asks
}

// OK saves the method chosen (the fixed address only with its method), empties "updatedip" and closes; what
// was typed but not added is dropped. "Use this IP Address" at 0.0.0.0 is refused in the status box, as the
// other typed values are, and nothing is written.
TEST_F(DesktopModelsTest, OkSavesTheChosenMethodAndClosesOrSaysWhyNot) {
    Seed("ipaddress=203.0.113.9\nupdatedip=203.0.113.9\none=20");
    PropertiesModel model(context, view);
    model.OnEdited({"typed", "com", "secret1"});
    model.OnMethodChosen(AddressMethod::Fixed);
    model.OnOK({});
    EXPECT_TRUE(Says(view.status, "0.0.0.0"));
    EXPECT_EQ(Text("updatedip"), "203.0.113.9");
    model.OnOK({{10, 0, 0, 7}});
    EXPECT_EQ(Text("ipmethod") + Text("ipaddress") + Text("one") + Text("four"), "3203.0.113.9107");
    model.OnMethodChosen(AddressMethod::Server);
    model.OnOK({{10, 0, 0, 8}});
    EXPECT_EQ(Text("ipmethod") + Text("ipaddress") + Text("four"), "07");
    EXPECT_EQ(Text("updatedip"), "");
    EXPECT_EQ(view.events, (std::vector<std::string>{"texts typed|com|secret1", "closed", "closed"}));
    EXPECT_EQ(Int("numofdomains"), -1);
    EXPECT_EQ(quits, 0);
}

// A change that cannot be written is told and the list shown again (OK's refusal, which keeps the dialog open,
// is the Qt dialog test's).
TEST_F(DesktopModelsTest, WritesThatFailAreTold) {
    std::ofstream(dir.File("file")) << "x";
    SettingsFile file(dir.File("file/ZeltoPre.INI")); // its folder a regular file: every write fails
    DialogContext own{file, http, sound, [] {}, worker, [](const std::string&) {}};
    PropertiesModel properties(own, view);
    properties.OnEdited({"zelto", "com", "secret1"});
    properties.OnAddDomain();
    IgnoreListModel ignore(file, view);
    ignore.OnAddIp({{10, 0, 0, 1}});
    const std::string told = "message The settings could not be saved to " + file.Path().string() + ".";
    EXPECT_EQ(view.events, (std::vector<std::string>{"texts zelto|com|secret1", told, "list ", told}));
}

// Each domain button writes at once and shows its outcome; Remove empties the boxes, and Clear All leaves them
// as they are (as a refusal does).
TEST_F(DesktopModelsTest, DomainButtonsShowTheirOutcome) {
    PropertiesModel model(context, view);
    model.OnEdited({"zelto", "com", "secret1"});
    model.OnAddDomain();
    model.OnRemoveDomain();
    model.OnEdited({"home", "net", "x"});
    model.OnClearAllDomains();
    EXPECT_EQ(view.events, (std::vector<std::string>{"texts zelto|com|secret1", "texts ||", "texts home|net|x"}));
    EXPECT_EQ(Int("numofdomains"), 0);
    EXPECT_EQ(quits, 0);
}

// Force IP Update runs on the worker, one at a time, the dialog busy meanwhile; the outcome comes over the
// dialog, or in the session's own box once the dialog has closed.
TEST_F(DesktopModelsTest, ForceIpUpdateRunsOnTheWorker) {
    SeedDomains({{"a", "com", "secret1"}});
    Seed("ipmethod=1");
    http.AnswerLine("initialize.asp", "success");
    {
        PropertiesModel model(context, view);
        model.OnForceIpUpdate();
        model.OnForceIpUpdate();
        EXPECT_EQ(view.events, std::vector<std::string>{"busy 1"});
        ASSERT_TRUE(gui.RunNext());
        ASSERT_EQ(view.events.size(), 3u);
        EXPECT_EQ(view.events[1], "busy 0");
        EXPECT_EQ(http.Requests().size(), 1u);
        model.OnForceIpUpdate(); // then OK closes the dialog before the answer
    }
    ASSERT_TRUE(gui.RunNext());
    EXPECT_EQ(told, std::vector<std::string>{view.events[2].substr(8)});
    EXPECT_EQ(view.events.size(), 4u);
}

// A tooltip set before the icon is made is the one it gets; once hidden the icon never comes back.
TEST(TrayStateTest, TooltipsAndHiding) {
    std::vector<std::string> calls;
    const auto call = [&calls](const char* what) {
        return [&calls, what](const std::string& text) { return calls.push_back(what + text), true; };
    };
    const auto remove = [&calls] { calls.push_back("remove"); };
    TrayState never;
    never.Hide(remove);
    TrayState tray;
    EXPECT_FALSE(tray.SetTooltip("early", call("change ")));
    EXPECT_TRUE(tray.Add("Online", call("add ")));
    EXPECT_TRUE(tray.SetTooltip("later", call("change ")));
    tray.Hide(remove);
    tray.Hide(remove);
    EXPECT_FALSE(tray.SetTooltip("gone", call("change ")));
    EXPECT_FALSE(tray.Add("Online", call("add ")));
    EXPECT_EQ(calls, (std::vector<std::string>{"add early", "change later", "remove"}));
}

// The wait after failures, then paused domains in the tooltip: whole lines while they fit the icon's record,
// then how many more. Each line is matched by a part of it (the words are StatusReportTest's).
TEST(PausedTooltipTest, TooltipNamesTheWaitAndPausedDomainsInWholeLines) {
    setenv("TZ", "UTC", 1);
    tzset();
    const std::string online = "Zelto Premium Online! IP Address->203.0.113.7";
    const auto pause = [](const std::string& domain) {
        return PausedDomain{1, {domain, "com", "secret1"}, {Refusal::Expired, 0}};
    };
    const std::time_t now = 1765231200; // 22:00:00 UTC
    const FailureWait refused{3, now + 250, {RequestResult::NoAnswer, HttpFailure::ConnectionRefused, 0, now}};
    const FailureWait once{1, now + 30, refused.last};
    const std::vector<PausedDomain> many{pause("a"), pause("b"), pause("c"), pause("d")};
    const struct {
        std::optional<FailureWait> wait;
        std::vector<PausedDomain> paused;
        std::vector<std::string> lines;
    } cases[] = {
        {{}, many, {online, "a.com: paused, ", "3 more paused"}},
        {once, {}, {online, "1 failed pass: no answer (connection refused); next try 22:00:30"}},
        {refused, many, {online, "3 failed passes; next try 22:04:10", "4 domains paused"}},
    };
    for (const auto& c : cases) {
        const std::string tooltip = TrayTooltip(online, c.wait, c.paused, now);
        EXPECT_LE(tooltip.size(), TrayState::kMaxTooltip);
        std::istringstream in(tooltip);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        ASSERT_EQ(lines.size(), c.lines.size()) << tooltip;
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(lines[i].starts_with(c.lines[i])) << tooltip;
    }
}

// The engine's tooltip reaches the skin with the pauses of the file, where the engine wrote the pause before
// telling of the refusal (which DesktopSessionTest sees arrive); a lifted pause leaves at the next refresh.
TEST_F(DesktopModelsTest, PausedTooltipAddsThePausesToWhatTheEngineShows) {
    SeedDomains({{"other", "net", "secret2"}});
    fakes::FakeNotices skin;
    fakes::FakeClock clock;
    PausedTooltip tooltip(skin, settings, clock);
    const std::string online = "Zelto Premium Online!";
    tooltip.SetTooltipText(online);
    ASSERT_TRUE(ClientSettings(settings).WritePause(1, {"other", "net", "secret2"}, {Refusal::Expired, 0}));
    tooltip.ShowAccountProblem({Refusal::Expired, "other", "net", "http://www.zelto.com/register.htm"});
    ASSERT_TRUE(ClientSettings(settings).ClearPause(1));
    tooltip.Refresh();
    EXPECT_EQ(skin.Tooltips(),
              (std::vector<std::string>{online, online + "\nother.net: paused, the subscription has expired", online}));
}

} // namespace
} // namespace zelto
