// The splash window on the offscreen platform: size, place, and the three ways it goes away.
#include "shell/SplashWnd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using zelto::CSplashWnd;

class SplashWndTest : public QObject {
    Q_OBJECT

    static QString Bitmap() { return QStringLiteral(":/bitmaps/splash.png"); }

private slots:
    void showsTheBitmapCentred() {
        auto* splash = new CSplashWnd(Bitmap(), 60s);
        QVERIFY(splash->Create());
        QVERIFY(splash->isVisible());
        QCOMPARE(splash->size(), QSize(300, 230));
        const QRect area = QApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(splash->geometry().center().x() - area.center().x()) <= 1);
        QVERIFY(qAbs(splash->geometry().center().y() - area.center().y()) <= 1);
        QSignalSpy destroyed(splash, &QObject::destroyed);
        splash->close();
        QTRY_COMPARE(destroyed.count(), 1);
    }

    void goesAwayAfterItsTime() {
        auto* splash = new CSplashWnd(Bitmap(), 300ms);
        QSignalSpy destroyed(splash, &QObject::destroyed);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(splash->Create());
        QTest::qWait(100);
        QCOMPARE(destroyed.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(destroyed.count(), 1, 3000);
        QVERIFY(clock.elapsed() >= 290);
    }

    void goesAwayAtTheFirstPress_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("key");
        QTest::newRow("left button") << int(Qt::LeftButton) << 0;
        QTest::newRow("right button") << int(Qt::RightButton) << 0;
        QTest::newRow("middle button") << int(Qt::MiddleButton) << 0;
        QTest::newRow("a letter") << 0 << int(Qt::Key_A);
        QTest::newRow("Escape") << 0 << int(Qt::Key_Escape);
    }

    void goesAwayAtTheFirstPress() {
        QFETCH(int, button);
        QFETCH(int, key);
        QPointer<CSplashWnd> splash = new CSplashWnd(Bitmap(), 60s);
        QSignalSpy destroyed(splash.data(), &QObject::destroyed);
        QVERIFY(splash->Create());
        if (button != 0)
            QTest::mousePress(splash.data(), static_cast<Qt::MouseButton>(button));
        else
            QTest::keyPress(splash.data(), static_cast<Qt::Key>(key));
        QTRY_COMPARE(destroyed.count(), 1);
        QVERIFY(splash.isNull());
    }

    void missingBitmapShowsNothing() {
        CSplashWnd splash(QStringLiteral(":/bitmaps/none.png"), 60s);
        QVERIFY(!splash.Create());
        QVERIFY(!splash.isVisible());
    }
};

QTEST_MAIN(SplashWndTest)
#include "SplashWndTest.moc"
