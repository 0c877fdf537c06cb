// The tray icon on the offscreen platform: its menu, tooltip rules, hiding and mouse actions.
#include "shell/SystemTray.h"
#include "shell/MainFrm.h"
#include "shell/TrayCommands.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <string>
#include <thread>

using namespace zelto;

class SystemTrayTest : public QObject {
    Q_OBJECT

    QIcon TrayImage() { return QIcon(QStringLiteral(":/icons/tray-32.png")); }

    // A frame whose handlers record the commands they get.
    struct RecordingFrame {
        CMainFrm frame;
        QList<int> commands;
        RecordingFrame() {
            for (const TrayCommand& command : kTrayCommands)
                frame.SetCommandHandler(command.id, [this, id = command.id] { commands.push_back(id); });
        }
    };

private slots:
    void menuHoldsTheFourCommandsWithTheFirstBold() {
        CMainFrm frame;
        CSystemTray tray;
        QVERIFY(tray.Create(&frame, "Zelto Premium Online!", TrayImage()));
        QMenu* menu = tray.PopupMenu();
        QVERIFY(menu);
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{QStringLiteral("Zelto Premium Web Interface"), QStringLiteral("Zelto Homepage"),
                                     QStringLiteral("Properties"), QStringLiteral("Exit")}));
        QCOMPARE(menu->defaultAction(), menu->actions().at(0));
        QVERIFY(menu->actions().at(0)->font().bold());
        for (int i = 1; i < 4; ++i)
            QVERIFY(!menu->actions().at(i)->font().bold());
    }

    void menuItemsReachTheirHandlers() {
        RecordingFrame target;
        CSystemTray tray;
        tray.Create(&target.frame, "Zelto Premium Online!", TrayImage());
        for (QAction* action : tray.PopupMenu()->actions())
            action->trigger();
        QCOMPARE(target.commands, (QList<int>{ID_WEB_INTERFACE, ID_HOMEPAGE, ID_PROPERTIES, ID_APP_EXIT_TRAY}));
    }

    void mouseActions_data() {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QList<int>>("commands");
        QTest::addColumn<bool>("menuOpen");
        QTest::newRow("double-click runs the default item")
            << int(QSystemTrayIcon::DoubleClick) << QList<int>{ID_WEB_INTERFACE} << false;
        QTest::newRow("right button opens the menu") << int(QSystemTrayIcon::Context) << QList<int>{} << true;
        QTest::newRow("single left click does nothing") << int(QSystemTrayIcon::Trigger) << QList<int>{} << false;
        QTest::newRow("middle click does nothing") << int(QSystemTrayIcon::MiddleClick) << QList<int>{} << false;
    }

    void mouseActions() {
        QFETCH(int, reason);
        QFETCH(QList<int>, commands);
        QFETCH(bool, menuOpen);
        RecordingFrame target;
        CSystemTray tray;
        tray.Create(&target.frame, "Zelto Premium Online!", TrayImage());
        QCOMPARE(tray.OnTrayNotification(static_cast<QSystemTrayIcon::ActivationReason>(reason)), 1);
        QCOMPARE(target.commands, commands);
        QCOMPARE(tray.PopupMenu()->isVisible(), menuOpen);
        tray.PopupMenu()->hide();
    }

    void tooltipIsCutAt63Characters_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("shown");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("63 shown whole") << 63 << 63;
        QTest::newRow("64 cut") << 64 << 63;
        QTest::newRow("long address from the server") << 300 << 63;
    }

    void tooltipIsCutAt63Characters() {
        QFETCH(int, length);
        QFETCH(int, shown);
        std::string text;
        for (int i = 0; i < length; ++i)
            text += static_cast<char>('a' + i % 26);
        const QString expected = QString::fromLatin1(text.substr(0, static_cast<std::size_t>(shown)));
        CMainFrm frame;
        CSystemTray created;
        created.Create(&frame, text, TrayImage());
        QCOMPARE(created.Icon().toolTip(), expected);
        CSystemTray changed;
        changed.Create(&frame, "Zelto Premium Online!", TrayImage());
        QVERIFY(changed.SetTooltipText(text));
        QCOMPARE(changed.Icon().toolTip(), expected);
    }

    void hiddenIconTakesNoTooltipAndHidesOnce() {
        CMainFrm frame;
        CSystemTray tray;
        tray.Create(&frame, "Zelto Premium Online!", TrayImage());
        QVERIFY(tray.Icon().isVisible());
        tray.HideIcon();
        QVERIFY(tray.IsHidden());
        QVERIFY(!tray.Icon().isVisible());
        QVERIFY(!tray.SetTooltipText("Zelto Premium Online! IP Address->10.0.0.1"));
        QCoreApplication::processEvents();
        QCOMPARE(tray.Icon().toolTip(), QStringLiteral("Zelto Premium Online!"));
        QVERIFY(!tray.Icon().isVisible());
        tray.HideIcon();
        QVERIFY(tray.IsHidden());
        QVERIFY(tray.IsEnabled());
        QVERIFY(!tray.Icon().isVisible());
    }

    void iconNeverAddedDoesNothing() {
        CMainFrm frame;
        CSystemTray tray;
        QVERIFY(!tray.Create(&frame, "Zelto Premium Online!", QIcon()));
        QVERIFY(!tray.IsEnabled());
        QVERIFY(!tray.SetTooltipText("Zelto Premium Online! IP Address->10.0.0.1"));
        tray.HideIcon();
        QVERIFY(!tray.IsHidden());
        QCOMPARE(tray.OnTrayNotification(QSystemTrayIcon::DoubleClick), 0);
    }

    void tooltipFromAnotherThreadReachesTheIcon() {
        CMainFrm frame;
        CSystemTray tray;
        tray.Create(&frame, "Zelto Premium Online!", TrayImage());
        bool accepted = false;
        std::thread updater([&] { accepted = tray.SetTooltipText("Zelto Premium Online! IP Address->192.0.2.7"); });
        updater.join();
        QVERIFY(accepted);
        QTRY_COMPARE(tray.Icon().toolTip(), QStringLiteral("Zelto Premium Online! IP Address->192.0.2.7"));
    }
};

QTEST_MAIN(SystemTrayTest)
#include "SystemTrayTest.moc"
