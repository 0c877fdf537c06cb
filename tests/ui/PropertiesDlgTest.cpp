// The Qt skin of the Properties dialog is wired to its model: the decisions themselves are tested in
// tests/desktop.
#include "ui/PropertiesDlg.h"
#include "UiTestSupport.h"
#include "ui/IpAddressCtrl.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace zelto;
using namespace zelto::qt;
using namespace zelto::qt::uitest;

namespace {

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

    // A refused save is told in a box and the dialog stays. Quit, Esc and the close button all leave, Quit
    // also while Force IP Update waits for a service that never answers, its button unavailable and the
    // dialog taking input meanwhile.
    void refusedSaveAndEveryWayOut() {
        DialogWorld unwritable(false);
        Shown refused(unwritable);
        refused.Click(IDOK);
        QVERIFY(refused.dialog.isVisible());
        QCOMPARE(unwritable.messages.size(), std::size_t(1));
        for (int how = 0; how < 3; ++how) {
            DialogWorld world;
            world.settings.WriteText("numofdomains", "1");
            world.http.silent = true;
            Shown shown(world);
            if (how == 0) {
                shown.Click(IDC_FORCE_IP_UPDATE);
                QVERIFY(!shown.CanForce());
                shown.Enter("zelto", "com", "secret1");
                shown.Click(IDC_ADD_DOMAIN);
                QVERIFY(shown.Status().endsWith(QStringLiteral(" zelto.com loaded.")));
                shown.Click(IDCANCEL);
            } else if (how == 1) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            } else {
                shown.dialog.close();
            }
            QCOMPARE(world.quits, 1);
            QVERIFY(!shown.dialog.isVisible());
        }
    }

    // F1 opens About and the Ignore IP List button its dialog, neither with a Maximize button, as Properties
    // has none; Esc in either closes that dialog only.
    void nestedDialogsOpenAndCloseAlone() {
        const auto maximize = [](QWidget* window) {
            return bool(window->windowFlags() & Qt::WindowMaximizeButtonHint);
        };
        for (auto [ignoreList, kind] : {std::pair{false, "zelto::qt::CAboutDlg"}, {true, "zelto::qt::CIgnoreIpDlg"}}) {
            DialogWorld world;
            Shown shown(world);
            QVERIFY(!maximize(&shown.dialog));
            std::string seen;
            WhenModalOpens([&](QWidget* modal) {
                seen = modal->metaObject()->className() + std::string(maximize(modal) ? " maximize" : "");
                QTest::keyClick(modal, Qt::Key_Escape);
            });
            if (ignoreList)
                shown.Click(IDC_IGNORE_IP_LIST);
            else
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
            QCOMPARE(seen, std::string(kind));
            QVERIFY(shown.dialog.isVisible());
            QCOMPARE(world.quits, 0);
        }
    }
};

QTEST_MAIN(PropertiesDlgTest)
#include "PropertiesDlgTest.moc"
