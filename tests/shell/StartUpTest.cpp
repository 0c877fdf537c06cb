// Start-up and the tray commands of the application, on fakes and the offscreen platform.
#include "ShellFixture.h"

#include "shell/SplashWnd.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include <chrono>
#include <thread>

using namespace zelto;
using namespace zelto::fakes;

namespace {

bool SplashShowing() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (dynamic_cast<CSplashWnd*>(window) && window->isVisible())
            return true;
    return false;
}

// The update thread plays INTROSOUND first thing: proof that it runs.
bool WaitForIntro(const OrderedSound& sound) {
    for (int i = 0; i < 500; ++i) {
        for (const std::string& cue : sound.Played())
            if (cue == "INTROSOUND")
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    // Splashes of earlier cases would otherwise still be up for a minute.
    void cleanup() {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (dynamic_cast<CSplashWnd*>(window))
                window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void firstRunOpensPropertiesOnceEverythingElseRuns() {
        ShellWorld world;
        auto app = MakeApp(world);
        bool iconShown = false, splashShown = false, threadRunning = false;
        world.onProperties = [&](DialogContext&) {
            iconShown = app->m_pTrayIcon && app->m_pTrayIcon->Icon().isVisible() &&
                        app->m_pTrayIcon->Icon().toolTip() == QStringLiteral("Zelto Premium Online!");
            splashShown = SplashShowing();
            threadRunning = WaitForIntro(world.sound);
        };
        app->InitInstance();
        QCOMPARE(world.propertiesRuns, 1);
        QVERIFY(iconShown);
        QVERIFY(splashShown);
        QVERIFY(threadRunning);
        QVERIFY(!app->ExitRequested());
    }

    void numofdomainsZeroCountsAsFirstRun() {
        ShellWorld world;
        world.settings.WriteText("numofdomains", "0");
        auto app = MakeApp(world);
        app->InitInstance();
        QCOMPARE(world.propertiesRuns, 1);
    }

    void configuredClientOpensNothingAndUpdates() {
        ShellWorld world;
        world.AddDomain();
        world.http.AnswerLine("/premium/update.asp", "ip203.0.113.5");
        auto app = MakeApp(world);
        app->InitInstance();
        QCOMPARE(world.propertiesRuns, 0);
        QVERIFY(SplashShowing());
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(!window->isVisible() || dynamic_cast<CSplashWnd*>(window));
        QTRY_COMPARE(app->m_pTrayIcon->Icon().toolTip(),
                     QStringLiteral("Zelto Premium Online! IP Address->203.0.113.5"));
    }

    void commandsOpenTheServicePages() {
        ShellWorld world;
        world.AddDomain();
        world.settings.WriteText("website", "127.0.0.1:8080");
        auto app = MakeApp(world);
        app->InitInstance();
        CSystemTray& tray = *app->m_pTrayIcon;
        QCOMPARE(tray.OnTrayNotification(QSystemTrayIcon::DoubleClick), 1);
        tray.PopupMenu()->actions().at(0)->trigger();
        tray.PopupMenu()->actions().at(1)->trigger();
        QCOMPARE(world.opened, (QList<QUrl>{QUrl(QStringLiteral("https://127.0.0.1:8080/premium/manage_dns.asp")),
                                            QUrl(QStringLiteral("https://127.0.0.1:8080/premium/manage_dns.asp")),
                                            QUrl(QStringLiteral("http://127.0.0.1:8080"))}));
    }

    void propertiesOpensEachTimeItIsChosen() {
        ShellWorld world;
        world.AddDomain();
        auto app = MakeApp(world);
        app->InitInstance();
        QAction* properties = app->m_pTrayIcon->PopupMenu()->actions().at(2);
        // Chosen again while the first dialog is still open: a second one opens over it.
        world.onProperties = [&](DialogContext&) {
            if (world.propertiesRuns == 1)
                properties->trigger();
        };
        properties->trigger();
        QCOMPARE(world.propertiesRuns, 2);
    }

    void quitInTheFirstRunDialogEndsTheProgram() {
        ShellWorld world;
        auto app = MakeApp(world);
        world.onProperties = [&](DialogContext& context) {
            WaitForIntro(world.sound);
            context.hideTrayIcon();
            context.sound.PlaySoundCue("OUCH");
            context.exitProcess(0);
        };
        const auto start = std::chrono::steady_clock::now();
        app->InitInstance();
        QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(5));
        QVERIFY(app->ExitRequested());
        QCOMPARE(app->ExitCode(), 0);
        QVERIFY(app->m_pTrayIcon->IsHidden());
        QCOMPARE(world.sound.Played(), (std::vector<std::string>{"INTROSOUND", "OUCH (icon hidden)"}));
        // The update thread has ended: no cue or request comes after the exit.
        const auto requests = world.http.Requests().size();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QCOMPARE(world.http.Requests().size(), requests);
    }
};

QTEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
