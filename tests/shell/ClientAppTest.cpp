// The application on fakes and the offscreen platform: start-up with and without domains, and Exit.
#include "shell/ClientApp.h"
#include "ServiceEmulator.h"
#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "settings/SettingsFile.h"
#include "shell/SystemTray.h"

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
        hooks.runProperties = [this](DialogContext& context) {
            ++propertiesRuns;
            onProperties(context);
        };
        app = std::make_unique<CClientApp>(
            ShellPorts{settings, http ? *http : fakes.http, fakes.autodial, fakes.addresses, fakes.clock, sound},
            hooks);
        sound.trayHidden = [this] { return app->TrayIcon() && app->TrayIcon()->IsHidden(); };
    }

    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld fakes{settings};
    OrderedSound sound;
    QList<QUrl> opened;
    int propertiesRuns = 0;
    std::function<void(DialogContext&)> onProperties = [](DialogContext&) {};
    std::unique_ptr<CClientApp> app;
};

} // namespace

class ClientAppTest : public QObject {
    Q_OBJECT

private slots:
    // With no domain the Properties dialog opens once the icon and the update thread are up (a failure in it
    // skips the Quit); its Quit ends the program with the icon gone before "OUCH".
    void startUpWithoutDomains() {
        World world(false);
        world.onProperties = [&](DialogContext& context) {
            QVERIFY(world.app->TrayIcon()->Icon().isVisible());
            QCOMPARE(world.app->TrayIcon()->Icon().toolTip(), QStringLiteral("Zelto Premium Online!"));
            QTRY_VERIFY(!world.sound.Played().empty()); // INTROSOUND
            context.hideTrayIcon();
            context.sound.PlaySoundCue("OUCH");
            context.exitProcess(0);
        };
        world.app->InitInstance();
        QCOMPARE(world.propertiesRuns, 1);
        QVERIFY(world.app->ExitRequested());
        QCOMPARE(world.app->ExitCode(), 0);
        QCOMPARE(world.sound.Played(), (std::vector<std::string>{"INTROSOUND", "OUCH (icon hidden)"}));
    }

    void startUpWithDomains() {
        World world(true);
        world.fakes.http.AnswerLine("/premium/update.asp", "ip203.0.113.5");
        world.app->InitInstance();
        QCOMPARE(world.propertiesRuns, 0);
        QTRY_COMPARE(world.app->TrayIcon()->Icon().toolTip(),
                     QStringLiteral("Zelto Premium Online! IP Address->203.0.113.5"));
        QVERIFY(world.app->TrayIcon()->OnTrayNotification(QSystemTrayIcon::DoubleClick));
        QCOMPARE(world.opened, QList<QUrl>{QUrl(QStringLiteral("https://127.0.0.1:8080/premium/manage_dns.asp"))});
    }

    // Exit from the tray while the service holds the update request, or while the engine waits on its
    // warning box: the work is dropped, the icon goes before "OUCH", and the event loop ends with 0 at once.
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
                world.app->TrayIcon()->PopupMenu()->actions().at(3)->trigger();
            });
            poll.start(10);
            QTimer::singleShot(10000, &poll, [] { QCoreApplication::exit(99); });
            QCOMPARE(QApplication::exec(), 0);
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(notice.startsWith(QStringLiteral("Your subscription for example.com has expired!")), warning);
            QCOMPARE(world.sound.Played(), (std::vector<std::string>{"INTROSOUND", "OUCH (icon hidden)"}));
            QCOMPARE(service.RegisteredAddress("example.com"), std::string());
        }
    }
};

QTEST_MAIN(ClientAppTest)
#include "ClientAppTest.moc"
