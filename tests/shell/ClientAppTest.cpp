// The Qt skin's wiring to the session, whose order and decisions tests/desktop checks: the tray menu's Exit
// closes the engine's open box, takes the icon away and ends the event loop with 0. The other commands, and
// a single click that does nothing, are TrayAndSplashTest's and desktop_sessions.py's, on real desktops.
#include "shell/ClientApp.h"
#include "fakes/FakePorts.h"
#include "fakes/SeedDomains.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "shell/SystemTray.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace zelto;
using namespace zelto::qt;

class ClientAppTest : public QObject {
    Q_OBJECT

    static QMessageBox* OpenBox() {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                return box;
        return nullptr;
    }

private slots:
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

QTEST_MAIN(ClientAppTest)
#include "ClientAppTest.moc"
