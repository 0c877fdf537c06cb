// The tray icon and the splash window on the offscreen platform.
#include "shell/SplashWnd.h"
#include "shell/SystemTray.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using namespace zelto;
using namespace zelto::qt;

class TrayAndSplashTest : public QObject {
    Q_OBJECT

    const QIcon image{QStringLiteral(":/icons/tray-32.png")};

private slots:
    // A double-click runs the default item, and so does a StatusNotifierItem host's activation, which an
    // XEmbed tray reports for a single click; nothing else does. An icon never created takes no click.
    void onlyActivationRunsTheDefaultItem() {
        CSystemTray unmade;
        QVERIFY(!unmade.OnTrayNotification(QSystemTrayIcon::DoubleClick));
        for (auto [kind, runs] : {std::pair{TrayKind::XEmbed, "1 0 0 0"}, {TrayKind::StatusNotifier, "2 0 0 0"}}) {
            CSystemTray tray;
            QVERIFY(tray.Create("Zelto Premium Online!", image, kind));
            QList<QSignalSpy*> spies;
            for (const TrayMenuEntry& entry : kTrayMenu)
                spies << new QSignalSpy(tray.Action(entry.command), &QAction::triggered);
            for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::DoubleClick})
                QVERIFY(tray.OnTrayNotification(reason));
            QStringList counts;
            for (QSignalSpy* spy : spies)
                counts << QString::number(spy->count());
            qDeleteAll(spies);
            QCOMPARE(counts.join(QLatin1Char(' ')), QLatin1String(runs));
        }
    }

    // The tooltip goes through the tray's cut (tested with the tray's state), and a hidden icon takes none.
    void tooltipIsCutAndAHiddenIconTakesNone() {
        const std::string text(TrayState::kMaxTooltip + 1, 'a');
        CSystemTray tray;
        tray.Create(text, image, TrayKind::XEmbed);
        QCOMPARE(tray.Icon().toolTip(), QString(static_cast<qsizetype>(TrayState::kMaxTooltip), QLatin1Char('a')));
        tray.HideIcon();
        QVERIFY(!tray.SetTooltipText("Zelto Premium Online!"));
        QVERIFY(tray.IsHidden() && !tray.Icon().isVisible());
    }

    // The splash deletes itself when its time is up or at the first key or mouse-button press on it.
    void splashGoesAway() {
        for (int how = 0; how < 3; ++how) {
            auto* splash = new CSplashWnd(QStringLiteral(":/bitmaps/splash.png"), how == 0 ? 300ms : 60s);
            QSignalSpy destroyed(splash, &QObject::destroyed);
            QVERIFY(splash->Create());
            QCoreApplication::processEvents();
            QCOMPARE(destroyed.count(), 0);
            if (how == 1)
                QTest::mousePress(splash, Qt::RightButton);
            else if (how == 2)
                QTest::keyPress(splash, Qt::Key_A);
            QTRY_COMPARE_WITH_TIMEOUT(destroyed.count(), 1, 10000);
        }
    }
};

QTEST_MAIN(TrayAndSplashTest)
#include "TrayAndSplashTest.moc"
