// The tray icon and the splash window on the offscreen platform.
#include "shell/SplashWnd.h"
#include "shell/SystemTray.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using namespace zelto;

class TrayAndSplashTest : public QObject {
    Q_OBJECT

    const QIcon image{QStringLiteral(":/icons/tray-32.png")};

private slots:
    void menuHoldsTheFourCommandsWithTheFirstBold() {
        CSystemTray tray;
        QVERIFY(tray.Create("Zelto Premium Online!", image));
        QStringList texts;
        for (const QAction* action : tray.PopupMenu()->actions())
            texts << action->text() + (action->font().bold() ? QStringLiteral(" (bold)") : QString());
        QCOMPARE(texts.join(QLatin1Char('|')),
                 QStringLiteral("Zelto Premium Web Interface (bold)|Zelto Homepage|Properties|Exit"));
        QCOMPARE(tray.PopupMenu()->defaultAction(), tray.PopupMenu()->actions().at(0));
    }

    // A double-click runs the default item and nothing else does; an icon never created takes no click.
    void onlyADoubleClickRunsTheDefaultItem() {
        CSystemTray tray;
        QVERIFY(!tray.OnTrayNotification(QSystemTrayIcon::DoubleClick));
        QVERIFY(tray.Create("Zelto Premium Online!", image));
        QList<QSignalSpy*> spies;
        for (const TrayMenuEntry& entry : kTrayMenu)
            spies << new QSignalSpy(tray.Action(entry.command), &QAction::triggered);
        for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::DoubleClick})
            QVERIFY(tray.OnTrayNotification(reason));
        QStringList runs;
        for (QSignalSpy* spy : spies)
            runs << QString::number(spy->count());
        qDeleteAll(spies);
        QCOMPARE(runs.join(QLatin1Char(' ')), QStringLiteral("1 0 0 0"));
    }

    void tooltipIsCutAt63Characters() {
        for (int length : {63, 64, 300}) {
            const std::string text(static_cast<std::size_t>(length), 'a');
            const QString shown(qMin(length, 63), QLatin1Char('a'));
            CSystemTray created;
            created.Create(text, image);
            QCOMPARE(created.Icon().toolTip(), shown);
            QVERIFY(created.SetTooltipText("Zelto Premium Online!") && created.SetTooltipText(text));
            QCOMPARE(created.Icon().toolTip(), shown);
        }
    }

    void hiddenIconTakesNoTooltipAndHidesOnce() {
        CSystemTray tray;
        tray.Create("Zelto Premium Online!", image);
        tray.HideIcon();
        QVERIFY(!tray.SetTooltipText("Zelto Premium Online! IP Address->10.0.0.1"));
        QCoreApplication::processEvents();
        QCOMPARE(tray.Icon().toolTip(), QStringLiteral("Zelto Premium Online!"));
        tray.HideIcon();
        QVERIFY(tray.IsHidden() && tray.IsEnabled() && !tray.Icon().isVisible());
    }

    // The splash deletes itself when its time is up or at the first key or mouse-button press on it.
    void splashGoesAway() {
        for (int how = 0; how < 3; ++how) {
            auto* splash = new CSplashWnd(QStringLiteral(":/bitmaps/splash.png"), how == 0 ? 300ms : 60s);
            QSignalSpy destroyed(splash, &QObject::destroyed);
            QVERIFY(splash->Create());
            QTest::qWait(100);
            QCOMPARE(destroyed.count(), 0);
            if (how == 1)
                QTest::mousePress(splash, Qt::RightButton);
            else if (how == 2)
                QTest::keyPress(splash, Qt::Key_A);
            QTRY_COMPARE_WITH_TIMEOUT(destroyed.count(), 1, 3000);
        }
    }
};

QTEST_MAIN(TrayAndSplashTest)
#include "TrayAndSplashTest.moc"
