#include "ServiceEmulator.h"
#include "UiTestSupport.h"
#include "platform/linux/CurlHttpSession.h"
#include "ui/PropertiesDlg.h"

#include <QAbstractButton>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>

using namespace zelto;
using namespace zelto::uitest;
using namespace zelto::properties_ids;

namespace {

const QString kSuccess = QStringLiteral("Fresh IP update will occur in a few moments!");
const QString kFailure = QStringLiteral("Fresh IP update could not complete!");

void AddDomain(SettingsFile& settings, const std::string& second, const std::string& first,
               const std::string& password) {
    const int n = settings.ReadInt("numofdomains", 0) + 1;
    settings.WriteText(IndexedKey("first_level", n), first);
    settings.WriteText(IndexedKey("second_level", n), second);
    settings.WriteText(IndexedKey("password", n), password);
    settings.WriteInt("numofdomains", n);
}

} // namespace

class ForceIpUpdateTest : public QObject {
    Q_OBJECT

private slots:
    // The message follows the last domain that answered "success" or did not answer at all.
    void againstTheService_data() {
        QTest::addColumn<QStringList>("domains"); // "second.first:password" each
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("requests");
        QTest::newRow("no domains") << QStringList{} << true << kFailure << 0;
        QTest::newRow("registered") << QStringList{"zelto.com:secret1"} << true << kSuccess << 1;
        QTest::newRow("wrong password") << QStringList{"zelto.com:wrong99"} << true << kFailure << 1;
        QTest::newRow("success then refused")
            << QStringList{"zelto.com:secret1", "other.net:secret2"} << true << kSuccess << 2;
        QTest::newRow("server unreachable") << QStringList{"zelto.com:secret1"} << false << kFailure << 0;
    }
    void againstTheService() {
        QFETCH(QStringList, domains);
        QFETCH(bool, reachable);
        QFETCH(QString, message);
        QFETCH(int, requests);
        emulator::ServiceEmulator service(emulator::Options{0, std::chrono::seconds(30), {}, false});
        service.AddAccount({"zelto", "com", "secret1", false});
        const std::string hostPort = service.HostPort();
        if (!reachable)
            service.Stop(); // nothing listens on the port any more

        DialogWorld world;
        world.settings.WriteText("updateserver", hostPort);
        for (const QString& domain : domains) {
            const QStringList host = domain.section(QLatin1Char(':'), 0, 0).split(QLatin1Char('.'));
            AddDomain(world.settings, host[0].toStdString(), host[1].toStdString(),
                      domain.section(QLatin1Char(':'), 1).toStdString());
        }
        const std::string before = world.FileContent();
        CurlHttpSessionFactory http("zelto-premium",
                                    HttpTimeouts{std::chrono::milliseconds(2000), std::chrono::milliseconds(5000)});
        DialogContext context{world.settings, http, world.sound, world.context.hideTrayIcon, world.context.exitProcess};
        CPropertiesDlg dialog(context);
        const QString statusBefore = dialog.m_strStatus;
        std::vector<std::string> playedBeforeMessage;
        dialog.SetMessageBox([&](QWidget*, const QString& text) {
            world.messages.push_back(text.toStdString());
            playedBeforeMessage = world.sound.Played();
        });

        Control<QAbstractButton>(&dialog, kForceIpUpdate)->click();

        QCOMPARE(world.messages, (std::vector<std::string>{message.toStdString()}));
        QCOMPARE(playedBeforeMessage, (std::vector<std::string>{"BLEEP"}));
        if (reachable)
            QCOMPARE(service.Requests(), requests);
        QCOMPARE(world.FileContent(), before); // records nothing
        QCOMPARE(dialog.m_strStatus, statusBefore);
        QVERIFY(world.events.empty());
    }

    // The requests run on the dialog's thread under a wait cursor, which is gone when the message shows.
    void waitCursorWhileTheRequestsRun() {
        DialogWorld world;
        AddDomain(world.settings, "zelto", "com", "secret1");
        world.http.AnswerLine("initialize.asp", "success");
        std::vector<int> shapes;
        world.http.onRequest = [&](const std::string&) {
            shapes.push_back(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : -1);
        };
        CPropertiesDlg dialog(world.context);
        int shapeAtMessage = 0;
        dialog.SetMessageBox([&](QWidget*, const QString&) {
            shapeAtMessage = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : -1;
        });
        dialog.OnForceIpUpdate();
        QCOMPARE(shapes, (std::vector<int>{Qt::WaitCursor}));
        QCOMPARE(shapeAtMessage, -1);
    }

    // The application's own box: OK only, the warning icon, the application's name as caption.
    void theMessageBox() {
        DialogWorld world;
        CPropertiesDlg dialog(world.context);
        QVERIFY(ShowActive(&dialog));
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        WhenModalOpens([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (const QAbstractButton* button : box->buttons())
                buttons << button->text();
            box->button(QMessageBox::Ok)->click();
        });
        Control<QAbstractButton>(&dialog, kForceIpUpdate)->click();
        QCOMPARE(caption, QStringLiteral("ForceIpUpdateTest"));
        QCOMPARE(text, kFailure);
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
    }
};

QTEST_MAIN(ForceIpUpdateTest)
#include "ForceIpUpdateTest.moc"
