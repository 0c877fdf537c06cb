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

// What a skin was asked to do, in order: "texts STATUS|DOMAIN|TOP|PASSWORD", "message TEXT", "busy 1/0",
// "closed", "list TEXT".
struct RecordingView : PropertiesView, IgnoreListView {
    std::vector<std::string> events;
    void ShowTexts(const PropertiesFields& f) override {
        events.push_back("texts " + f.status + "|" + f.input.domain + "|" + f.input.topLevel + "|" + f.input.password);
    }
    void ShowMessage(const std::string& text) override { events.push_back("message " + text); }
    void SetBusy(bool busy) override { events.push_back(busy ? "busy 1" : "busy 0"); }
    void CloseDialog() override { events.push_back("closed"); }
    void ShowList(const std::string& text) override { events.push_back("list " + text); }
};

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

    // A settings file whose folder is a regular file: every write fails.
    SettingsFile Unwritable() {
        std::ofstream(dir.File("file")) << "x";
        return SettingsFile(dir.File("file/ZeltoPre.INI"));
    }
};

TEST_F(DesktopModelsTest, PropertiesOpenWithThePromptOrTheListAndTheStoredMethod) {
    const char* prompt = "Please enter domain(e.g. zelto or microsoft), top level(e.g. com or net) and "
                         "password(6-8 characters) below. ";
    const struct {
        const char* seed;
        const char* status;
        AddressMethod method;
        AddressFields fixed;
    } rows[] = {
        {"", prompt, AddressMethod::Both, {}},
        {"ipmethod=7\nnumofdomains=0", prompt, AddressMethod::Both, {}},
        {"ipmethod=0\nnumofdomains=1\nsecond_level1=a\nfirst_level1=com",
         "Domain a.com loaded.",
         AddressMethod::Server,
         {}},
        {"ipmethod=3\none=10\ntwo=300\nthree=-1\nfour=4", prompt, AddressMethod::Fixed, {{10, 255, 0, 4}}},
    };
    for (const auto& row : rows) {
        fakes::TempDir fresh;
        SettingsFile file(fresh.File("ZeltoPre.INI"));
        if (*row.seed)
            Seed(row.seed, file);
        DialogContext own{file, http, sound, [] {}, worker, [](const std::string&) {}};
        const PropertiesModel model(own, view);
        EXPECT_EQ(model.Fields().status, row.status) << row.seed;
        EXPECT_EQ(model.Fields().method, row.method) << row.seed;
        EXPECT_EQ(model.Fields().fixedAddress, row.fixed) << row.seed;
    }
    EXPECT_TRUE(view.events.empty()); // nothing is pushed before the skin asks
}

// OK writes the method chosen, the fixed address only for the fixed method ("ipaddress" emptied otherwise),
// empties "updatedip" and closes; what was typed but not added is dropped.
TEST_F(DesktopModelsTest, OkSavesTheChosenMethodAndCloses) {
    const AddressFields typed{{10, 0, 0, 7}};
    const struct {
        AddressMethod method;
        const char *ipmethod, *ipaddress, *one;
    } rows[] = {
        {AddressMethod::Server, "0", "", "20"},
        {AddressMethod::Client, "1", "", "20"},
        {AddressMethod::Both, "2", "", "20"},
        {AddressMethod::Fixed, "3", "203.0.113.9", "10"},
    };
    for (const auto& row : rows) {
        Seed("ipaddress=203.0.113.9\nupdatedip=203.0.113.9\none=20");
        view.events.clear();
        PropertiesModel model(context, view);
        model.OnEdited({"typed", "com", "secret1"});
        model.OnMethodChosen(row.method);
        model.OnOK(typed);
        EXPECT_EQ(Text("ipmethod"), row.ipmethod);
        EXPECT_EQ(Text("ipaddress"), row.ipaddress) << row.ipmethod;
        EXPECT_EQ(Text("one"), row.one) << row.ipmethod;
        EXPECT_EQ(Text("updatedip"), "");
        EXPECT_EQ(view.events, std::vector<std::string>{"closed"});
    }
    EXPECT_EQ(Int("numofdomains"), -1);
    EXPECT_EQ(quits, 0);
}

// "Use this IP Address" left at 0.0.0.0 is refused in the status box, as the other typed values are: the
// service would register it. The typed domain stays, nothing is written.
TEST_F(DesktopModelsTest, OkRefusesAFixedAddressNoOneCanReach) {
    Seed("ipmethod=1");
    view.events.clear();
    PropertiesModel model(context, view);
    model.OnEdited({"typed", "com", "secret1"});
    model.OnMethodChosen(AddressMethod::Fixed);
    model.OnOK({});
    EXPECT_EQ(Text("ipmethod"), "1");
    EXPECT_EQ(view.events, std::vector<std::string>{"texts No one can reach IP Address 0.0.0.0! Please enter the "
                                                    "public address your domains should point to.|typed|com|secret1"});
}

// A change that cannot be written is told, and OK keeps the dialog open so that it can be tried again.
TEST_F(DesktopModelsTest, WritesThatFailAreToldAndOkStaysOpen) {
    SettingsFile file = Unwritable();
    DialogContext own{file, http, sound, [] {}, worker, [](const std::string&) {}};
    PropertiesModel properties(own, view);
    properties.OnEdited({"zelto", "com", "secret1"});
    properties.OnAddDomain();
    properties.OnOK({});
    IgnoreListModel ignore(file, view);
    ignore.OnAddIp({{10, 0, 0, 1}});
    const std::string told = "message The settings could not be saved to " + file.Path().string() + ".";
    ASSERT_EQ(view.events.size(), 5u);
    EXPECT_EQ(view.events[1], told);
    EXPECT_EQ(view.events[2], told);
    EXPECT_EQ(view.events[3], "list ");
    EXPECT_EQ(view.events[4], told);
}

// Each domain button writes at once and shows its outcome; a refusal keeps the boxes, Remove empties them,
// and Clear All leaves them as they are.
TEST_F(DesktopModelsTest, DomainButtonsShowTheirOutcome) {
    PropertiesModel model(context, view);
    model.OnEdited({"zelto", "com", "12345"});
    model.OnAddDomain();
    model.OnEdited({"zelto", "com", "secret1"});
    model.OnAddDomain();
    model.OnEdited({"home", "net", "secret2"});
    model.OnAddDomain();
    model.OnEdited({"zelto", "com", "secret1"});
    model.OnRemoveDomain();
    model.OnEdited({"home", "net", "x"});
    model.OnClearAllDomains();
    EXPECT_EQ(view.events, (std::vector<std::string>{
                               "texts Password must be 6-8 characters!|zelto|com|12345",
                               "texts Domain zelto.com loaded.|zelto|com|secret1",
                               "texts Domain zelto.com, home.net loaded.|home|net|secret2",
                               "texts Domain home.net loaded.|||",
                               "texts No Domains Loaded!|home|net|x",
                           }));
    EXPECT_EQ(Int("numofdomains"), 0);
    EXPECT_EQ(quits, 0);
}

// Force IP Update runs on the worker, one at a time, the dialog busy meanwhile; "BLEEP" plays and the
// outcome comes over the dialog, or in the session's own box once the dialog has closed. Quit ends the
// program through the session and writes nothing.
TEST_F(DesktopModelsTest, ForceIpUpdateRunsOnTheWorkerAndQuit) {
    SeedDomains({{"a", "com", "secret1"}});
    Seed("ipmethod=1");
    http.AnswerLine("initialize.asp", "success");
    const std::string before = fakes::ReadFile(settings.Path());
    const std::string willOccur = "Fresh IP update will occur in a few moments!";
    {
        PropertiesModel model(context, view);
        model.OnForceIpUpdate();
        model.OnForceIpUpdate();
        EXPECT_EQ(view.events, std::vector<std::string>{"busy 1"});
        ASSERT_TRUE(gui.RunNext());
        EXPECT_EQ(view.events, (std::vector<std::string>{"busy 1", "busy 0", "message " + willOccur}));
        EXPECT_EQ(sound.Played(), std::vector<std::string>{"BLEEP"});
        EXPECT_EQ(http.Requests().size(), 1u);
        model.OnForceIpUpdate(); // then OK closes the dialog before the answer
    }
    ASSERT_TRUE(gui.RunNext());
    EXPECT_EQ(told, std::vector<std::string>{willOccur});
    EXPECT_EQ(view.events.size(), 4u);

    PropertiesModel model(context, view);
    model.OnMethodChosen(AddressMethod::Fixed);
    model.OnCancel();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(fakes::ReadFile(settings.Path()), before);
}

// Add IP and Remove IP write at once and show the list again; removing what is not there changes nothing.
TEST_F(DesktopModelsTest, IgnoreListShowsEachChange) {
    Seed("numofignoreip=1\nignoreip1=10.0.0.1");
    IgnoreListModel model(settings, view);
    EXPECT_EQ(model.ListText(), "10.0.0.1\r\n");
    model.OnAddIp({});
    model.OnRemoveIp({{10, 0, 0, 1}});
    model.OnRemoveIp({{10, 0, 0, 9}});
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"list 10.0.0.1\r\n0.0.0.0\r\n", "list 0.0.0.0\r\n", "list 0.0.0.0\r\n"}));
}

// A tooltip set before the icon is made is the one it gets; once hidden the icon never comes back.
TEST(TrayStateTest, TooltipsAndHiding) {
    const std::string address(130, '9');
    EXPECT_EQ(TrayState::Tooltip(address), address.substr(0, 127));
    EXPECT_EQ(TrayState::Tooltip(address.substr(0, 127)), address.substr(0, 127));

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
// then how many more.
TEST(PausedTooltipTest, TooltipNamesTheWaitAndPausedDomainsInWholeLines) {
    setenv("TZ", "UTC", 1);
    tzset();
    const std::string online = "Zelto Premium Online! IP Address->203.0.113.7";
    const auto pause = [](const std::string& domain, PauseReason reason) {
        return PausedDomain{1, {domain, "com", "secret1"}, {reason, 0}};
    };
    const std::time_t now = 1765231200; // 22:00:00 UTC
    const FailureWait refused{3, now + 250, {RequestResult::NoAnswer, HttpFailure::ConnectionRefused, 0, now}};
    const FailureWait untrusted{1, now + 30, {RequestResult::NoAnswer, HttpFailure::CertificateForAnotherName, 0, now}};
    std::vector<PausedDomain> many;
    for (const char* domain : {"a", "b", "c", "d"})
        many.push_back(pause(domain, PauseReason::WrongPassword));
    const struct {
        std::optional<FailureWait> wait;
        std::vector<PausedDomain> paused;
        std::string tooltip;
    } cases[] = {
        {{}, {}, online},
        {{}, {pause("example", PauseReason::Expired)}, online + "\nexample.com: paused, the subscription has expired"},
        {{}, many, online + "\na.com: paused, the service refused the password\n3 more paused"},
        {{}, {pause(std::string(120, 'x'), PauseReason::NoDomain)}, online + "\n1 domain paused"},
        {refused, {}, online + "\n3 failed passes: no answer (connection refused); next try 22:04:10"},
        {refused, many, online + "\n3 failed passes; next try 22:04:10\n4 domains paused"},
        {untrusted, {}, online + "\n1 failed pass; next try 22:00:30"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrayTooltip(online, c.wait, c.paused, now), c.tooltip);
        EXPECT_LE(c.tooltip.size(), TrayState::kMaxTooltip);
    }
}

// The engine's tooltip and account problems reach the skin with the pauses of the file, and of the domain
// the engine is pausing; a lifted pause leaves at the next refresh.
TEST_F(DesktopModelsTest, PausedTooltipAddsThePausesToWhatTheEngineShows) {
    const DomainEntry example{"example", "com", "secret1"};
    SeedDomains({example, {"other", "net", "secret2"}});
    Seed("paused1=" + FormatPause({PauseReason::WrongPassword, 0}, example));
    fakes::FakeNotices skin;
    fakes::FakeClock clock;
    PausedTooltip tooltip(skin, settings, clock);
    const std::string online = "Zelto Premium Online!";
    const std::string refused = "\nexample.com: paused, the service refused the password";
    tooltip.SetTooltipText(online);
    tooltip.ShowAccountProblem({AccountNotice::Problem::Expired, "other", "net", "", "Your subscription..."});
    ASSERT_TRUE(ClientSettings(settings).ClearPause(1));
    tooltip.Refresh();
    EXPECT_EQ(skin.Messages(), std::vector<std::string>{"Your subscription..."});
    EXPECT_EQ(skin.Tooltips(), (std::vector<std::string>{online + refused,
                                                         online + refused +
                                                             "\nother.net: paused, the subscription "
                                                             "has expired",
                                                         online}));
}

} // namespace
} // namespace zelto
