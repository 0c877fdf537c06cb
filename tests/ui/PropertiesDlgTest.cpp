// The Qt skin of the Properties dialog is wired to its model: the decisions themselves are tested in
// tests/desktop.
#include "ui/PropertiesDlg.h"
#include "UiTestSupport.h"
#include "ui/IpAddressCtrl.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>

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
    CIpAddressCtrl* Address() { return Control<CIpAddressCtrl>(&dialog, IDC_IPADDRESS); }

    CPropertiesDlg dialog;
};

} // namespace

class PropertiesDlgTest : public QObject {
    Q_OBJECT

private slots:
    // Typed text reaches the model (the password box takes 8 characters), its outcome reaches the boxes,
    // and the method clicked with the address typed is what OK saves before the dialog closes.
    void acceptedDomainAndMethod() {
        DialogWorld world;
        Shown shown(world);
        shown.Enter("zelto", "com", "secret123");
        shown.Click(IDC_ADD_DOMAIN);
        QCOMPARE(shown.Status(), QStringLiteral("Domain zelto.com loaded."));
        QCOMPARE(world.settings.ReadText("password1"), std::string("secret12"));
        shown.Click(IDC_METHOD_FIXED);
        shown.Address()->ClearAddress();
        shown.Address()->setFocus();
        TypeText(QStringLiteral("10.0.0.7"));
        shown.Click(IDOK);
        QCOMPARE(world.settings.ReadText("ipmethod"), std::string("3"));
        QCOMPARE(world.settings.ReadText("four"), std::string("7"));
        QVERIFY(!shown.dialog.isVisible());
        QCOMPARE(world.quits, 0);
    }

    // A refused save is told in a box and the dialog stays; Quit, Esc and the close button all leave.
    void refusedSaveAndEveryWayOut() {
        DialogWorld unwritable(false);
        Shown refused(unwritable);
        refused.Click(IDOK);
        QVERIFY(refused.dialog.isVisible());
        QCOMPARE(unwritable.messages.size(), std::size_t(1));
        for (int how = 0; how < 3; ++how) {
            DialogWorld world;
            Shown shown(world);
            if (how == 0)
                shown.Click(IDCANCEL);
            else if (how == 1)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                shown.dialog.close();
            QCOMPARE(world.quits, 1);
            QVERIFY(!shown.dialog.isVisible());
        }
    }

    // Force IP Update runs on the worker: against a service that never answers the dialog stays usable,
    // its button unavailable, and Quit still leaves; an answer comes in the box, the button back.
    void forceIpUpdateLeavesTheDialogResponsive() {
        for (const bool silent : {true, false}) {
            DialogWorld world;
            world.settings.WriteText("numofdomains", "1");
            world.http.silent = silent;
            Shown shown(world);
            shown.Click(IDC_FORCE_IP_UPDATE);
            if (silent) {
                QVERIFY(!Control<QAbstractButton>(&shown.dialog, IDC_FORCE_IP_UPDATE)->isEnabled());
                shown.Enter("zelto", "com", "secret1");
                shown.Click(IDC_ADD_DOMAIN);
                QVERIFY(shown.Status().endsWith(QStringLiteral(" zelto.com loaded.")));
                shown.Click(IDCANCEL);
                QCOMPARE(world.quits, 1);
            } else {
                QTRY_COMPARE(world.messages, std::vector<std::string>{"Fresh IP update could not complete!"});
                QVERIFY(Control<QAbstractButton>(&shown.dialog, IDC_FORCE_IP_UPDATE)->isEnabled());
            }
        }
    }

    // Properties opens centred on the screen, About (F1) and the Ignore IP List centred on it, none with a
    // Maximize button; Esc in either of the two closes that dialog only.
    void nestedDialogsOpenCentredAndCloseAlone() {
        const auto centred = [](QWidget* window, const QRect& over) {
            const QPoint offset = window->frameGeometry().center() - over.center();
            return offset.manhattanLength() <= 2 && !(window->windowFlags() & Qt::WindowMaximizeButtonHint);
        };
        for (auto [ignoreList, title] :
             {std::pair{false, "About Zelto Premium Dynamic DNS Client v3.4"}, {true, "Zelto Ignore IP List"}}) {
            DialogWorld world;
            Shown shown(world);
            QVERIFY(centred(&shown.dialog, shown.dialog.screen()->availableGeometry()));
            QString seen;
            bool modalCentred = false;
            WhenModalOpens([&](QWidget* modal) {
                seen = modal->windowTitle();
                modalCentred = centred(modal, shown.dialog.frameGeometry());
                QTest::keyClick(modal, Qt::Key_Escape);
            });
            if (ignoreList)
                shown.Click(IDC_IGNORE_IP_LIST);
            else
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
            QCOMPARE(seen, QString::fromLatin1(title));
            QVERIFY(modalCentred);
            QVERIFY(shown.dialog.isVisible());
            QCOMPARE(world.quits, 0);
        }
    }
};

QTEST_MAIN(PropertiesDlgTest)
#include "PropertiesDlgTest.moc"
