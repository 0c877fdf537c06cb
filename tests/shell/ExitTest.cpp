// Exit from the tray menu while the update thread is busy: mid-request, or waiting for a message box.
#include "ShellFixture.h"

#include "ServiceEmulator.h"
#include "platform/StopSignal.h"
#include "platform/linux/CurlHttpSession.h"
#include "shell/DialogRun.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

using namespace zelto;
using namespace zelto::fakes;

namespace {

// A server that takes the request and never answers: the request ends only when its stop is raised.
class StallingHttp : public HttpSessionFactory {
public:
    std::atomic<bool> requested{false};
    std::atomic<bool> cancelled{false};

    std::unique_ptr<HttpSession> Open(const StopSignal* stop) override {
        return std::make_unique<Session>(*this, stop);
    }

private:
    class Session : public HttpSession {
    public:
        Session(StallingHttp& owner, const StopSignal* stop) : owner_(owner), stop_(stop) {}
        HttpFetch Get(const std::string&) override {
            owner_.requested = true;
            for (int i = 0; i < 10000 && !(stop_ && stop_->Raised()); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            owner_.cancelled = stop_ && stop_->Raised();
            return {};
        }

    private:
        StallingHttp& owner_;
        const StopSignal* stop_;
    };
};

QMessageBox* OpenNotice() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            return box;
    return nullptr;
}

// Runs the event loop as the program does; a stuck exit is ended with 99.
int RunEventLoop() {
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    return QApplication::exec();
}

void ChooseExit(CClientApp& app) {
    app.m_pTrayIcon->PopupMenu()->actions().at(3)->trigger();
}

} // namespace

class ExitTest : public QObject {
    Q_OBJECT

private slots:
    void exitMidRequestHidesPlaysAndEndsWithZero() {
        ShellWorld world;
        world.AddDomain();
        StallingHttp http;
        auto app = MakeApp(world, &http);
        app->InitInstance();
        QTRY_VERIFY(http.requested);

        QElapsedTimer clock;
        QTimer::singleShot(0, [&] {
            clock.start();
            ChooseExit(*app);
        });
        QCOMPARE(RunEventLoop(), 0);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(http.cancelled);
        QVERIFY(app->m_pTrayIcon->IsHidden());
        QCOMPARE(world.sound.Played(), (std::vector<std::string>{"INTROSOUND", "OUCH (icon hidden)"}));
    }

    void exitFromTheTrayWhileTheFirstRunDialogIsOpen() {
        ShellWorld world;
        auto app = MakeApp(world);
        bool trayBlocked = true;
        bool dialogClosed = false;
        world.onProperties = [&](DialogContext&) {
            QDialog dialog;
            QTimer::singleShot(0, [&] {
                trayBlocked = QApplication::activeModalWidget() != nullptr;
                ChooseExit(*app);
            });
            RunDialog(dialog);
            dialogClosed = !dialog.isVisible();
        };
        app->InitInstance();
        QVERIFY(!trayBlocked);
        QVERIFY(dialogClosed);
        QVERIFY(app->ExitRequested());
        QCOMPARE(app->ExitCode(), 0);
        QVERIFY(app->m_pTrayIcon->IsHidden());
    }

    void exitWhileTheServiceIsSlowToAnswer() {
        emulator::Options options;
        options.lifetime = std::chrono::seconds(30);
        emulator::ServiceEmulator service(options);
        service.AddAccount({"example", "com", "secret1"});
        emulator::Fault slow;
        slow.kind = emulator::Fault::Kind::Delay;
        slow.delay = std::chrono::milliseconds(20000);
        service.SetFault(slow);
        ShellWorld world;
        world.AddDomain();
        world.settings.WriteText("updateserver", service.HostPort());
        CurlHttpSessionFactory http("ExitTest");
        auto app = MakeApp(world, &http);
        app->InitInstance();
        QTRY_VERIFY(service.Connections() >= 1);

        QElapsedTimer clock;
        QTimer::singleShot(0, [&] {
            clock.start();
            ChooseExit(*app);
        });
        QCOMPARE(RunEventLoop(), 0);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(service.RegisteredAddress("example.com"), std::string());
    }

    void exitWhileTheEngineWaitsForAMessageBox() {
        ShellWorld world;
        world.AddDomain();
        world.http.AnswerLine("/premium/update.asp", "expired");
        auto app = MakeApp(world);
        app->InitInstance();

        bool trayBlocked = true;
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QTimer poll;
        // The box runs its own modal loop; Exit is chosen from the tray while it is open.
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QMessageBox* box = OpenNotice();
            if (!box)
                return;
            poll.stop();
            trayBlocked = QApplication::activeModalWidget() != nullptr;
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            ChooseExit(*app);
        });
        poll.start(10);
        QCOMPARE(RunEventLoop(), 0);
        QVERIFY(!trayBlocked);
        QCOMPARE(caption, QCoreApplication::applicationName());
        QVERIFY2(text.startsWith(QStringLiteral("Your subscription for example.com has expired!")), qPrintable(text));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCoreApplication::processEvents();
        QVERIFY(!OpenNotice());
    }
};

QTEST_MAIN(ExitTest)
#include "ExitTest.moc"
