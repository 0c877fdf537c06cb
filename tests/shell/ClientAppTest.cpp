// The Qt skin's wiring to the session, whose decisions tests/desktop checks: the tray's clicks and menu reach
// it, and Exit leaves at once even with a box open. The no-tray case runs for real in desktop_sessions.py.
#include "shell/ClientApp.h"
#include "ServiceEmulator.h"
#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "settings/SettingsFile.h"
#include "shell/SystemTray.h"
#include "update/ServiceEndpoints.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace zelto;

namespace {

// Records each cue, marked when the tray icon was already hidden as it started.
struct OrderedSound : fakes::FakeSound {
    bool PlaySoundCue(std::string_view name) override {
        return FakeSound::PlaySoundCue(std::string(name) + (trayHidden() ? " (icon hidden)" : ""));
    }
    std::function<bool()> trayHidden;
};

struct World {
    explicit World(bool withDomain, HttpSessionFactory* http = nullptr) {
        const char* domain[][2] = {{"numofdomains", "1"},    {"first_level1", "com"}, {"second_level1", "example"},
                                   {"password1", "secret1"}, {"ipmethod", "0"},       {"website", "127.0.0.1:8080"}};
        if (withDomain)
            for (auto [key, value] : domain)
                settings.WriteText(key, value);
        ShellHooks hooks;
        hooks.openUrl = [this](const QUrl& url) { opened << url; };
        hooks.trayHostPresent = [](TrayKind kind) { return kind == TrayKind::XEmbed; };
        hooks.runProperties = [this](DialogContext&) { ++propertiesRuns; };
        app = std::make_unique<CClientApp>(
            settings, PlatformPorts{http ? *http : fakes.http, fakes.autodial, fakes.addresses, fakes.clock, sound},
            hooks);
        sound.trayHidden = [this] { return app->TrayIcon() && app->TrayIcon()->IsHidden(); };
    }

    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld fakes{settings};
    OrderedSound sound;
    QList<QUrl> opened;
    int propertiesRuns = 0;
    std::unique_ptr<CClientApp> app;
};

// As the notification area reports a click on the icon.
void Activate(World& world, QSystemTrayIcon::ActivationReason reason) {
    emit const_cast<QSystemTrayIcon&>(world.app->TrayIcon()->Icon()).activated(reason);
}

QAction* Item(World& world, const char* text) {
    for (QAction* action : world.app->TrayIcon()->PopupMenu()->actions())
        if (action->text() == QLatin1String(text))
            return action;
    qFatal("no tray menu item %s", text);
}

} // namespace

class ClientAppTest : public QObject {
    Q_OBJECT

private slots:
    // What the mouse does on the icon, through the icon's own signal, and what each menu item does. A
    // single click does nothing.
    void trayIconAndMenuCommands() {
        World world(true);
        world.fakes.http.AnswerLine("/premium/update.asp", "ip203.0.113.5");
        world.app->InitInstance();
        QCOMPARE(world.propertiesRuns, 0);
        QTRY_COMPARE(world.app->TrayIcon()->Icon().toolTip(),
                     QStringLiteral("Zelto Premium Online! IP Address->203.0.113.5"));
        const ServiceEndpoints pages(world.settings);
        const QUrl webInterface(QString::fromStdString(pages.WebInterfacePage()));
        const QUrl homepage(QString::fromStdString(pages.HomePage()));
        const struct {
            const char* name;
            std::function<void()> act;
            QList<QUrl> opened;
            int propertiesRuns;
        } cases[] = {
            {"single click", [&] { Activate(world, QSystemTrayIcon::Trigger); }, {}, 0},
            {"double click", [&] { Activate(world, QSystemTrayIcon::DoubleClick); }, {webInterface}, 0},
            {"Zelto Homepage", [&] { Item(world, "Zelto Homepage")->trigger(); }, {homepage}, 0},
            {"Properties", [&] { Item(world, "Properties")->trigger(); }, {}, 1},
        };
        for (const auto& c : cases) {
            world.opened.clear();
            world.propertiesRuns = 0;
            c.act();
            QCoreApplication::processEvents();
            QVERIFY2(world.opened == c.opened, c.name);
            QVERIFY2(world.propertiesRuns == c.propertiesRuns, c.name);
            QVERIFY2(!world.app->ExitRequested() && world.app->TrayIcon()->Icon().isVisible(), c.name);
        }
        // The right button opens the menu.
        Activate(world, QSystemTrayIcon::Context);
        QTRY_VERIFY(world.app->TrayIcon()->PopupMenu()->isVisible());
        world.app->TrayIcon()->PopupMenu()->hide();
    }

    // Exit from the tray while the service holds the update request, or while the engine's warning box is
    // open: the box closes, the icon goes before "OUCH", and the event loop ends with 0 at once.
    void exitWhileTheEngineIsBusy() {
        for (bool warning : {false, true}) {
            emulator::ServiceEmulator service(emulator::Options{0, std::chrono::seconds(30), {}, false});
            service.AddAccount({"example", "com", "secret1", warning});
            if (!warning)
                service.SetFault({.kind = emulator::Fault::Kind::Delay,
                                  .delay = std::chrono::seconds(20),
                                  .body = {},
                                  .location = {}});
            SocketHttpSessionFactory http("ClientAppTest");
            World world(true, &http);
            world.settings.WriteText("updateserver", service.HostPort());
            world.app->InitInstance();

            QString notice;
            QElapsedTimer clock;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                for (QWidget* window : QApplication::topLevelWidgets())
                    if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                        notice = box->text();
                if (warning ? notice.isEmpty() : service.Connections() == 0)
                    return;
                poll.stop();
                clock.start();
                Item(world, "Exit")->trigger();
            });
            poll.start(10);
            QTimer::singleShot(10000, &poll, [] { QCoreApplication::exit(99); });
            QCOMPARE(QApplication::exec(), 0);
            for (QWidget* window : QApplication::topLevelWidgets())
                QVERIFY(!qobject_cast<QMessageBox*>(window) || !window->isVisible());
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(notice.startsWith(QStringLiteral("Your subscription for example.com has expired!")), warning);
            QCOMPARE(world.sound.Played(), (std::vector<std::string>{"INTROSOUND", "OUCH (icon hidden)"}));
            QCOMPARE(service.RegisteredAddress("example.com"), std::string());
        }
    }
};

QTEST_MAIN(ClientAppTest)
#include "ClientAppTest.moc"
