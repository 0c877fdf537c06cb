#include "ui/IgnoreIpDlg.h"
#include "UiTestSupport.h"
#include "ui/IpAddressCtrl.h"
#include "ui/PropertiesDlg.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace zelto;
using namespace zelto::uitest;
using namespace zelto::ignore_ids;

namespace {

struct OpenIgnoreDialog {
    explicit OpenIgnoreDialog(DialogWorld& world) : dialog(world.settings) {
        dialog.SetMessageBox(world.RecordMessages());
        shown = ShowActive(&dialog);
    }
    // Types an address as a user would: into a blank control, from its first field.
    void TypeAddress(const QString& address) {
        dialog.m_ipAddress->ClearAddress();
        dialog.m_ipAddress->setFocus();
        TypeText(address);
    }
    void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(&dialog, id), Qt::LeftButton); }
    QString List() { return Control<QPlainTextEdit>(&dialog, kList)->toPlainText(); }

    CIgnoreIpDlg dialog;
    bool shown = false;
};

void Store(SettingsFile& settings, const std::vector<std::string>& addresses) {
    settings.WriteInt("numofignoreip", static_cast<int>(addresses.size()));
    for (std::size_t i = 0; i < addresses.size(); ++i)
        settings.WriteText(IndexedKey("ignoreip", static_cast<int>(i + 1)), addresses[i]);
}

} // namespace

class IgnoreIpDlgTest : public QObject {
    Q_OBJECT

private slots:
    void enterAddsTheTypedAddress() {
        DialogWorld world;
        OpenIgnoreDialog open(world);
        QVERIFY(open.shown);
        QCOMPARE(open.dialog.windowTitle(), QStringLiteral("Zelto Ignore IP List"));
        QCOMPARE(open.List(), QString());
        QVERIFY(open.dialog.m_ipAddress->IsBlank());
        QCOMPARE(QApplication::focusWidget(), open.dialog.m_ipAddress->Field(0));

        TypeText(QStringLiteral("10.0.0.1"));
        PressKey(Qt::Key_Return);
        QVERIFY(open.dialog.isVisible()); // Enter is "Add IP", not OK
        QCOMPARE(world.settings.ReadText("numofignoreip"), std::string("1"));
        QCOMPARE(world.settings.ReadText("ignoreip1"), std::string("10.0.0.1"));
        QCOMPARE(open.List(), QStringLiteral("10.0.0.1\n"));
        QCOMPARE(open.dialog.m_ipAddress->Address(), (AddressFields{{10, 0, 0, 1}})); // keeps what was typed

        PressKey(Qt::Key_Return); // the same address again: a second entry
        QCOMPARE(open.List(), QStringLiteral("10.0.0.1\n10.0.0.1\n"));
    }

    void blankControlAddsZeros() {
        DialogWorld world;
        OpenIgnoreDialog open(world);
        open.Click(kAddIp);
        QCOMPARE(world.settings.ReadText("ignoreip1"), std::string("0.0.0.0"));
        QCOMPARE(open.List(), QStringLiteral("0.0.0.0\n"));
    }

    void removeTheMiddleOfThree() {
        DialogWorld world;
        Store(world.settings, {"10.0.0.1", "10.0.0.2", "10.0.0.3"});
        OpenIgnoreDialog open(world);
        QCOMPARE(open.List(), QStringLiteral("10.0.0.1\n10.0.0.2\n10.0.0.3\n"));
        open.TypeAddress(QStringLiteral("10.0.0.2"));
        open.Click(kRemoveIp);
        QCOMPARE(world.settings.ReadInt("numofignoreip", 0), 2);
        QCOMPARE(world.settings.ReadText("ignoreip2"), std::string("10.0.0.3"));
        QCOMPARE(open.List(), QStringLiteral("10.0.0.1\n10.0.0.3\n"));
        QVERIFY(world.messages.empty());
    }

    // OK and Cancel only close: what the buttons wrote stays, and nothing more is written.
    void closingKeepsWhatWasWritten_data() {
        QTest::addColumn<int>("closer");
        QTest::addColumn<int>("result");
        QTest::newRow("Cancel") << ids::kCancel << int(QDialog::Rejected);
        QTest::newRow("OK") << ids::kOk << int(QDialog::Accepted);
    }
    void closingKeepsWhatWasWritten() {
        QFETCH(int, closer);
        QFETCH(int, result);
        DialogWorld world;
        OpenIgnoreDialog open(world);
        open.TypeAddress(QStringLiteral("192.0.2.1"));
        open.Click(kAddIp);
        const std::string afterAdd = world.FileContent();
        open.Click(closer);
        QCOMPARE(open.dialog.result(), result);
        QVERIFY(!open.dialog.isVisible());
        QCOMPARE(world.FileContent(), afterAdd);
        QCOMPARE(world.settings.ReadText("ignoreip1"), std::string("192.0.2.1"));
    }

    void failedWriteIsTold() {
        DialogWorld world(false);
        OpenIgnoreDialog open(world);
        open.Click(kAddIp);
        QCOMPARE(open.List(), QString());
        QCOMPARE(world.messages.size(), std::size_t(1));
    }

    void openedFromProperties() {
        DialogWorld world;
        CPropertiesDlg properties(world.context);
        QVERIFY(ShowActive(&properties));
        const QString statusBefore = properties.m_strStatus;
        QString title;
        WhenModalOpens([&title](QWidget* modal) {
            title = modal->windowTitle();
            TypeText(QStringLiteral("203.0.113.7"));
            PressKey(Qt::Key_Return);
            QTest::keyClick(modal, Qt::Key_Escape); // Cancel: closes this dialog only
        });
        Control<QAbstractButton>(&properties, properties_ids::kIgnoreIpList)->click();
        QCOMPARE(title, QStringLiteral("Zelto Ignore IP List"));
        QCOMPARE(world.settings.ReadText("ignoreip1"), std::string("203.0.113.7"));
        QVERIFY(properties.isVisible());
        QVERIFY(world.events.empty());
        QCOMPARE(properties.m_strStatus, statusBefore);
    }
};

QTEST_MAIN(IgnoreIpDlgTest)
#include "IgnoreIpDlgTest.moc"
