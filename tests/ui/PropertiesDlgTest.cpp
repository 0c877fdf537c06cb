// The Qt skin of the Properties dialog is wired to its model: the decisions themselves are tested in
// tests/desktop.
#include "ui/PropertiesDlg.h"
#include "UiTestSupport.h"
#include "ui/IpAddressCtrl.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

using namespace zelto;
using namespace zelto::uitest;
using namespace zelto::properties_ids;

namespace {

// The dialog shown over a world, and the user's hands on its boxes and buttons.
struct Shown {
    explicit Shown(DialogWorld& world) : dialog(world.context) {
        dialog.SetMessageBox(world.RecordMessages());
        ShowActive(&dialog);
    }
    void Enter(const char* domain, const char* topLevel, const char* password) {
        for (auto [id, text] : {std::pair{kDomain, domain}, {kTopLevel, topLevel}, {kPassword, password}}) {
            QLineEdit* box = Control<QLineEdit>(&dialog, id);
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, QString::fromLatin1(text));
        }
    }
    void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(&dialog, id), Qt::LeftButton); }
    QString Status() { return Control<QPlainTextEdit>(&dialog, kStatus)->toPlainText(); }
    CIpAddressCtrl* Address() { return Control<CIpAddressCtrl>(&dialog, kIpAddress); }

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
        shown.Click(kAddDomain);
        QCOMPARE(shown.Status(), QStringLiteral("Domain zelto.com loaded."));
        QCOMPARE(world.settings.ReadText("password1"), std::string("secret12"));
        shown.Click(kFixed);
        shown.Address()->ClearAddress();
        shown.Address()->setFocus();
        TypeText(QStringLiteral("10.0.0.7"));
        shown.Click(ids::kOk);
        QCOMPARE(world.settings.ReadText("ipmethod"), std::string("3"));
        QCOMPARE(world.settings.ReadText("four"), std::string("7"));
        QVERIFY(!shown.dialog.isVisible());
        QCOMPARE(world.quits, 0);
    }

    // A refused save is told in a box and the dialog stays; Quit, Esc and the close button all leave.
    void refusedSaveAndEveryWayOut() {
        DialogWorld unwritable(false);
        Shown refused(unwritable);
        refused.Click(ids::kOk);
        QVERIFY(refused.dialog.isVisible());
        QCOMPARE(unwritable.messages.size(), std::size_t(1));
        for (int how = 0; how < 3; ++how) {
            DialogWorld world;
            Shown shown(world);
            if (how == 0)
                shown.Click(ids::kCancel);
            else if (how == 1)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                shown.dialog.close();
            QCOMPARE(world.quits, 1);
            QVERIFY(!shown.dialog.isVisible());
        }
    }

    // Esc in About (F1) or in the Ignore IP List closes that dialog only.
    void nestedDialogsCloseAlone() {
        for (auto [ignoreList, title] :
             {std::pair{false, "About Zelto Premium Dynamic DNS Client v3.4"}, {true, "Zelto Ignore IP List"}}) {
            DialogWorld world;
            Shown shown(world);
            QString seen;
            WhenModalOpens([&seen](QWidget* modal) {
                seen = modal->windowTitle();
                QTest::keyClick(modal, Qt::Key_Escape);
            });
            if (ignoreList)
                shown.Click(kIgnoreIpList);
            else
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
            QCOMPARE(seen, QString::fromLatin1(title));
            QVERIFY(shown.dialog.isVisible());
            QCOMPARE(world.quits, 0);
        }
    }
};

QTEST_MAIN(PropertiesDlgTest)
#include "PropertiesDlgTest.moc"
