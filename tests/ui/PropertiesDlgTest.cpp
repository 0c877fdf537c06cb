// The Qt skin of the dialogs is wired to their models, whose decisions are tested in tests/desktop; and the
// address control as a user types into it.
#include "ui/PropertiesDlg.h"
#include "ResourceIds.h"
#include "desktop/DialogContext.h"
#include "desktop/DialogWorker.h"
#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "ui/DialogResource.h"
#include "ui/IpAddressCtrl.h"
#include "ui/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace zelto;
using namespace zelto::qt;

namespace {

// A settings file in a fresh folder, and the dialogs' context over fakes that record what a dialog asked of
// the application.
struct DialogWorld {
    // writable false: the settings file's folder is a regular file, so every write fails.
    explicit DialogWorld(bool writable = true) : settings(dir.File(writable ? "ZeltoPre.INI" : "file/ZeltoPre.INI")) {
        std::ofstream(dir.File("file")) << "x";
    }
    MessageBoxFn RecordMessages() {
        return [this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); };
    }

    fakes::TempDir dir;
    SettingsFile settings;
    fakes::FakeHttp http;
    fakes::FakeSound sound;
    int quits = 0;
    std::vector<std::string> messages;
    DialogWorker worker{[](std::function<void()> task) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
    }};
    DialogContext context{settings, http,
                          sound,    [this] { ++quits; },
                          worker,   [this](const std::string& text) { messages.push_back(text); }};
};

template <class T> T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(ControlName(id));
}

bool ShowActive(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Into whichever widget has the focus, one key at a time.
void TypeText(const QString& text) {
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

// Runs `act` on the next modal dialog within its own event loop, once it has shown.
void WhenModalOpens(std::function<void(QWidget*)> act) {
    struct Watch : QObject {
        std::function<void(QWidget*)> act;
        bool eventFilter(QObject* object, QEvent* event) override {
            auto* modal = qobject_cast<QWidget*>(object);
            if (event->type() == QEvent::Show && modal && modal->isModal()) {
                QTimer::singleShot(0, modal, [modal, act = act] { act(modal); });
                QApplication::instance()->removeEventFilter(this);
                deleteLater();
            }
            return false;
        }
    };
    auto* watch = new Watch;
    watch->act = std::move(act);
    QApplication::instance()->installEventFilter(watch);
}

// The dialog shown over a world, and the user's hands on its boxes and buttons.
struct Shown {
    explicit Shown(DialogWorld& world) : dialog(world.context) {
        dialog.SetMessageBox(world.RecordMessages());
        ShowActive(&dialog);
    }
    void Enter(const char* domain, const char* topLevel, const char* password) {
        for (auto [id, text] : {std::pair{IDC_DOMAIN, domain}, {IDC_TOPLEVEL, topLevel}, {IDC_PASSWORD, password}}) {
            QLineEdit* box = Control<QLineEdit>(&dialog, id);
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, QString::fromLatin1(text));
        }
    }
    void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(&dialog, id), Qt::LeftButton); }
    QString Status() { return Control<QPlainTextEdit>(&dialog, IDC_STATUS)->toPlainText(); }
    bool CanForce() { return Control<QAbstractButton>(&dialog, IDC_FORCE_IP_UPDATE)->isEnabled(); }

    CPropertiesDlg dialog;
};

} // namespace

class PropertiesDlgTest : public QObject {
    Q_OBJECT

private slots:
    // "." and a third digit move on, "." in an empty field stays, above 255 clamps, a blank field reads 0.
    void addressControlTyping() {
        const char* rows[][2] = {
            {"10203", "102|03||"}, {"1..2", "1|2||"},         {"10.256.7", "10|255|7|"},
            {"1a.b2", "1|2||"},    {"1.2.3.4.5", "1|2|3|45"}, {"", "|||"},
        };
        for (auto [typed, fields] : rows) {
            CIpAddressCtrl control;
            QVERIFY(ShowActive(&control));
            control.setFocus();
            TypeText(QString::fromLatin1(typed));
            QStringList texts;
            AddressFields expected;
            for (int i = 0; i < 4; ++i) {
                texts << control.Field(i)->text();
                expected.part[i] = texts[i].toInt();
            }
            QCOMPARE(texts.join(QLatin1Char('|')), QString::fromLatin1(fields));
            QCOMPARE(control.Address(), expected);
            QCOMPARE(control.IsBlank(), *typed == 0);
        }
    }

    // Typed text reaches the model (the password box takes 8 characters) and its outcome the boxes; Force IP
    // Update's outcome comes in a box, its button back; the method clicked with the address typed is what OK
    // saves before the dialog closes.
    void acceptedDomainAndMethod() {
        DialogWorld world;
        Shown shown(world);
        shown.Enter("zelto", "com", "secret123");
        shown.Click(IDC_ADD_DOMAIN);
        QVERIFY(shown.Status().contains(QStringLiteral("zelto.com")));
        QCOMPARE(world.settings.ReadText("password1"), std::string("secret12"));
        shown.Click(IDC_FORCE_IP_UPDATE);
        QTRY_COMPARE(world.messages.size(), std::size_t(1));
        QVERIFY(shown.CanForce());
        shown.Click(IDC_METHOD_FIXED);
        auto* address = Control<CIpAddressCtrl>(&shown.dialog, IDC_IPADDRESS);
        address->ClearAddress();
        address->setFocus();
        TypeText(QStringLiteral("10.0.0.7"));
        shown.Click(IDOK);
        QCOMPARE(world.settings.ReadText("ipmethod") + world.settings.ReadText("four"), std::string("37"));
        QVERIFY(!shown.dialog.isVisible());
        QCOMPARE(world.quits, 0);
    }

    // A refused save is told in a box and the dialog stays. Quit and Esc (as the close button, through the
    // same reject) leave, Quit also while Force IP Update waits for a service that never answers, its button
    // unavailable and the dialog taking input meanwhile.
    void refusedSaveAndEveryWayOut() {
        DialogWorld unwritable(false);
        Shown refused(unwritable);
        refused.Click(IDOK);
        QVERIFY(refused.dialog.isVisible());
        QCOMPARE(unwritable.messages.size(), std::size_t(1));
        for (const bool quit : {true, false}) {
            DialogWorld world;
            world.settings.WriteText("numofdomains", "1");
            world.http.silent = true;
            Shown shown(world);
            if (quit) {
                shown.Click(IDC_FORCE_IP_UPDATE);
                QVERIFY(!shown.CanForce());
                shown.Enter("zelto", "com", "secret1");
                shown.Click(IDC_ADD_DOMAIN);
                QVERIFY(shown.Status().endsWith(QStringLiteral(" zelto.com loaded.")));
                shown.Click(IDCANCEL);
            } else {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            }
            QCOMPARE(world.quits, 1);
            QVERIFY(!shown.dialog.isVisible());
        }
    }

    // F1 opens About, which Esc closes alone. The Ignore IP List button opens that dialog on the stored list:
    // Enter is "Add IP", not OK, Remove IP takes the typed address out, and Cancel keeps what the buttons
    // wrote. Neither dialog has a Maximize button, as Properties has none.
    void nestedDialogsAreWiredAndCloseAlone() {
        DialogWorld world;
        world.settings.WriteText("numofignoreip", "1");
        world.settings.WriteText("ignoreip1", "10.0.0.1");
        Shown shown(world);
        const auto seen = [](QWidget* window) {
            return window->metaObject()->className() +
                   std::string(window->windowFlags() & Qt::WindowMaximizeButtonHint ? " maximize" : "");
        };
        std::vector<std::string> said{seen(&shown.dialog)};
        WhenModalOpens([&](QWidget* about) {
            said.push_back(seen(about));
            QTest::keyClick(about, Qt::Key_Escape);
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        WhenModalOpens([&](QWidget* ignore) {
            const auto list = [ignore] { return Control<QPlainTextEdit>(ignore, IDC_IGNORE_LIST)->toPlainText(); };
            said.push_back(seen(ignore));
            said.push_back(list().toStdString());
            QApplication::setActiveWindow(ignore);
            TypeText(QStringLiteral("10.0.0.2"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            said.push_back(list().toStdString());
            QTest::mouseClick(Control<QAbstractButton>(ignore, IDC_REMOVE_IP), Qt::LeftButton);
            said.push_back(list().toStdString());
            QTest::mouseClick(Control<QAbstractButton>(ignore, IDC_ADD_IP), Qt::LeftButton);
            QTest::mouseClick(Control<QAbstractButton>(ignore, IDCANCEL), Qt::LeftButton);
        });
        shown.Click(IDC_IGNORE_IP_LIST);
        QCOMPARE(said, (std::vector<std::string>{"zelto::qt::CPropertiesDlg", "zelto::qt::CAboutDlg",
                                                 "zelto::qt::CIgnoreIpDlg", "10.0.0.1\n", "10.0.0.1\n10.0.0.2\n",
                                                 "10.0.0.1\n"}));
        QCOMPARE(world.settings.ReadText("ignoreip2"), std::string("10.0.0.2"));
        QVERIFY(shown.dialog.isVisible());
        QCOMPARE(world.quits, 0);
    }
};

QTEST_MAIN(PropertiesDlgTest)
#include "PropertiesDlgTest.moc"
