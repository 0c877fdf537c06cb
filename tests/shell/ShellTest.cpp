// The Qt shell on the offscreen platform: the tray icon, the sound cues on ALSA's "null" device (which takes
// the samples at the real rate), and the application's wiring to the session, whose order and decisions
// tests/desktop checks (the menu's Exit here; the other commands, and the splash, run for real in
// desktop_sessions.py and scripts/screenshots).
#include "fakes/FakePorts.h"
#include "fakes/SeedDomains.h"
#include "fakes/TempDir.h"
#include "platform/linux/AlsaSoundPlayer.h"
#include "settings/SettingsFile.h"
#include "shell/ClientApp.h"
#include "shell/SoundCues.h"
#include "shell/SystemTray.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <thread>

using namespace zelto;
using namespace zelto::qt;

class ShellTest : public QObject {
    Q_OBJECT

    const QIcon image{QStringLiteral(":/icons/tray-32.png")};

    static QMessageBox* OpenBox() {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                return box;
        return nullptr;
    }

private slots:
    // A double-click runs the default item; on an XEmbed tray nothing else does (a StatusNotifierItem host's
    // activation runs it too, for real in desktop_sessions.py). An icon never created takes no click.
    void onlyActivationRunsTheDefaultItem() {
        CSystemTray unmade;
        QVERIFY(!unmade.OnTrayNotification(QSystemTrayIcon::DoubleClick));
        CSystemTray tray;
        QVERIFY(tray.Create("Zelto Premium Online!", image, TrayKind::XEmbed));
        QList<QSignalSpy*> spies;
        for (const TrayMenuEntry& entry : kTrayMenu)
            spies << new QSignalSpy(tray.Action(entry.command), &QAction::triggered);
        for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::DoubleClick})
            QVERIFY(tray.OnTrayNotification(reason));
        QStringList counts;
        for (QSignalSpy* spy : spies)
            counts << QString::number(spy->count());
        qDeleteAll(spies);
        QCOMPARE(counts.join(QLatin1Char(' ')), QLatin1String("1 0 0 0"));
    }

    // A cue started while another plays on another thread cuts it off; both end, neither waits for ever.
    void twoThreadsPlayOneAfterTheOther() {
        AlsaSoundPlayer player(&ReadSoundCue, "null");
        bool introPlayed = false;
        std::thread intro([&] { introPlayed = player.PlaySoundCue("INTROSOUND"); });
        QVERIFY(player.PlaySoundCue("BLEEP"));
        intro.join();
        QVERIFY(introPlayed);
    }

    // Exit closes the engine's open box, takes the icon away and ends the event loop with 0.
    void exitFromTheMenuClosesTheOpenBoxAndEndsTheLoop() {
        fakes::TempDir dir;
        SettingsFile settings(dir.File("ZeltoPre.INI"));
        QVERIFY(fakes::SeedDomains(settings, {{"example", "com", "secret1"}}));
        fakes::FakeWorld fakes{settings};
        fakes.http.AnswerLine("update.asp", "expired");
        ShellHooks hooks;
        hooks.trayHostPresent = [](TrayKind kind) { return kind == TrayKind::XEmbed; };
        CClientApp app(settings, fakes.ports.platform, hooks);
        app.InitInstance();
        QTRY_VERIFY_WITH_TIMEOUT(OpenBox(), 30000);
        QTimer::singleShot(0, app.TrayIcon()->Action(TrayCommand::Exit), &QAction::trigger);
        QTimer::singleShot(30000, [] { QCoreApplication::exit(1); }); // an Exit that reaches nothing
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!OpenBox());
        QVERIFY(app.TrayIcon()->IsHidden());
    }
};

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
