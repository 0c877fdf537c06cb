// The address control as a user types into it; its wiring in the dialogs is PropertiesDlgTest's.
#include "UiTestSupport.h"
#include "ui/IpAddressCtrl.h"

#include <QLineEdit>

using namespace zelto;
using namespace zelto::qt;
using namespace zelto::qt::uitest;

class IpAddressTest : public QObject {
    Q_OBJECT

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
};

QTEST_MAIN(IpAddressTest)
#include "IpAddressTest.moc"
