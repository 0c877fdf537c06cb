// The Qt skin's wiring to the session, whose order and decisions tests/desktop checks: the tray's clicks and
// menu reach it, a single click does not, and Exit closes an open box and ends the event loop with 0. The
// no-tray case runs for real in desktop_sessions.py.
#include "shell/ClientApp.h"
#include "fakes/FakePorts.h"
#include "fakes/SeedDomains.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "shell/SystemTray.h"
#include "update/ServiceEndpoints.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace zelto;
using namespace zelto::qt;

namespace {

struct World {
    World() {
        fakes::SeedDomains(settings, {{"example", "com", "secret1"}});
        ShellHooks hooks;
        hooks.openUrl = [this](const QUrl& url) { opened << url; };
        hooks.trayHostPresent = [](TrayKind kind) { return kind == TrayKind::XEmbed; };
        hooks.runProperties = [this](DialogContext&) { ++propertiesRuns; };
        app = std::make_unique<CClientApp>(settings, fakes.ports.platform, hooks);
    }

    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeWorld fakes{settings};
    QList<QUrl> opened;
    int propertiesRuns = 0;
    std::unique_ptr<CClientApp> app;
};

QAction* Item(World& world, const char* text) {
    for (QAction* action : world.app->TrayIcon()->PopupMenu()->actions())
        if (action->text() == QLatin1String(text))
            return action;
    qFatal("no tray menu item %s", text);
}

QMessageBox* OpenBox() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            return box;
    return nullptr;
}

} // namespace

class ClientAppTest : public QObject {
    Q_OBJECT

private slots:
    // Through the icon's own signal and the menu's actions; a single click does nothing.
    void trayCommandsReachTheSession() {
        World world;
        world.app->InitInstance();
        const ServiceEndpoints pages(world.settings);
        const QUrl webInterface(QString::fromStdString(pages.WebInterfacePage()));
        const QUrl homepage(QString::fromStdString(pages.HomePage()));
        auto& icon = const_cast<QSystemTrayIcon&>(world.app->TrayIcon()->Icon());
        const struct {
            const char* name;
            std::function<void()> act;
            QList<QUrl> opened;
            int propertiesRuns;
        } cases[] = {
            {"single click", [&] { emit icon.activated(QSystemTrayIcon::Trigger); }, {}, 0},
            {"double click", [&] { emit icon.activated(QSystemTrayIcon::DoubleClick); }, {webInterface}, 0},
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
        }
    }

    // Exit while the engine's warning box is open: the box closes, the icon goes, and the loop ends with 0.
    void exitClosesTheOpenBoxAndEndsTheLoop() {
        World world;
        world.fakes.http.AnswerLine("update.asp", "expired");
        world.app->InitInstance();
        QTRY_VERIFY_WITH_TIMEOUT(OpenBox(), 30000);
        QTimer::singleShot(0, [&] { Item(world, "Exit")->trigger(); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!OpenBox());
        QVERIFY(world.app->TrayIcon()->IsHidden());
    }
};

QTEST_MAIN(ClientAppTest)
#include "ClientAppTest.moc"
