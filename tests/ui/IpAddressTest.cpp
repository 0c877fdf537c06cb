// The address control, alone and in the Ignore IP List dialog.
#include "UiTestSupport.h"
#include "ui/IgnoreIpDlg.h"
#include "ui/IpAddressCtrl.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace zelto;
using namespace zelto::qt;
using namespace zelto::qt::uitest;

class IpAddressTest : public QObject {
    Q_OBJECT

    // A shown Ignore IP List dialog, its control blank and focused.
    struct Shown {
        explicit Shown(DialogWorld& world) : dialog(world.settings) {
            ShowActive(&dialog);
            Type(QString());
        }
        void Type(const QString& address) {
            dialog.m_ipAddress->ClearAddress();
            dialog.m_ipAddress->setFocus();
            TypeText(address);
        }
        void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(&dialog, id), Qt::LeftButton); }
        QString List() { return Control<QPlainTextEdit>(&dialog, IDC_IGNORE_LIST)->toPlainText(); }
        CIgnoreIpDlg dialog;
    };

private slots:
    // "." and a third digit move on, "." in an empty field stays, above 255 clamps, a blank field reads 0.
    void typing() {
        const char* rows[][2] = {{"192.168.1.10", "192|168|1|10"},
                                 {"10203", "102|03||"},
                                 {"1..2", "1|2||"},
                                 {"10.256.7", "10|255|7|"},
                                 {"1a.b2", "1|2||"},
                                 {"1.2.3.4.5", "1|2|3|45"},
                                 {"", "|||"}};
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

    // The Qt skin of the Ignore IP List is wired to its model: it opens with the stored list, Enter is "Add
    // IP", not OK, Remove IP takes the typed address out, and Cancel keeps what the buttons wrote.
    void addRemoveThenCancel() {
        DialogWorld world;
        world.settings.WriteText("numofignoreip", "1");
        world.settings.WriteText("ignoreip1", "10.0.0.1");
        Shown shown(world);
        QCOMPARE(shown.List(), QStringLiteral("10.0.0.1\n"));
        TypeText(QStringLiteral("10.0.0.2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(shown.dialog.isVisible());
        shown.Click(IDC_ADD_IP);
        QCOMPARE(shown.List(), QStringLiteral("10.0.0.1\n10.0.0.2\n10.0.0.2\n"));
        shown.Click(IDC_REMOVE_IP);
        QCOMPARE(shown.List(), QStringLiteral("10.0.0.1\n10.0.0.2\n"));
        shown.Click(IDCANCEL);
        QVERIFY(!shown.dialog.isVisible());
        QCOMPARE(world.settings.ReadText("ignoreip2"), std::string("10.0.0.2"));
    }
};

QTEST_MAIN(IpAddressTest)
#include "IpAddressTest.moc"
