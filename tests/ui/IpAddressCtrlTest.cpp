#include "ui/IpAddressCtrl.h"
#include "UiTestSupport.h"

#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>

using namespace zelto;
using namespace zelto::uitest;

// The control between two line edits, as it stands in a dialog's tab order.
struct Form {
    Form() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(control);
        layout->addWidget(after);
    }
    QWidget window;
    QLineEdit* before = new QLineEdit;
    CIpAddressCtrl* control = new CIpAddressCtrl;
    QLineEdit* after = new QLineEdit;

    QStringList Texts() const {
        QStringList texts;
        for (int i = 0; i < 4; ++i)
            texts << control->Field(i)->text();
        return texts;
    }
};

class IpAddressCtrlTest : public QObject {
    Q_OBJECT

private slots:
    void typing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("address");
        QTest::newRow("full address") << "192.168.1.10" << QStringList{"192", "168", "1", "10"} << "192.168.1.10";
        QTest::newRow("three digits move on") << "10203" << QStringList{"102", "03", "", ""} << "102.3.0.0";
        QTest::newRow("dot moves on") << "1.2" << QStringList{"1", "2", "", ""} << "1.2.0.0";
        QTest::newRow("dot in an empty field stays") << "1..2" << QStringList{"1", "2", "", ""} << "1.2.0.0";
        QTest::newRow("above 255 clamps") << "300" << QStringList{"255", "", "", ""} << "255.0.0.0";
        QTest::newRow("clamp in a later field") << "10.256.7" << QStringList{"10", "255", "7", ""} << "10.255.7.0";
        QTest::newRow("letters are refused") << "1a.b2" << QStringList{"1", "2", "", ""} << "1.2.0.0";
        QTest::newRow("dot after the last field") << "1.2.3.4.5" << QStringList{"1", "2", "3", "45"} << "1.2.3.45";
        QTest::newRow("nothing typed") << "" << QStringList{"", "", "", ""} << "0.0.0.0";
    }
    void typing() {
        QFETCH(QString, typed);
        QFETCH(QStringList, fields);
        QFETCH(QString, address);
        Form form;
        QVERIFY(ShowActive(&form.window));
        form.control->setFocus();
        TypeText(typed);
        QCOMPARE(form.Texts(), fields);
        QCOMPARE(QString::fromStdString(form.control->Address().ToText()), address);
        QCOMPARE(form.control->IsBlank(), typed.isEmpty());
    }

    void backspaceInAnEmptyFieldMovesBack() {
        Form form;
        QVERIFY(ShowActive(&form.window));
        form.control->setFocus();
        TypeText(QStringLiteral("12.3"));
        PressKey(Qt::Key_Backspace); // deletes the 3
        QCOMPARE(QApplication::focusWidget(), form.control->Field(1));
        PressKey(Qt::Key_Backspace); // the field is empty: back to the end of the first
        QCOMPARE(QApplication::focusWidget(), form.control->Field(0));
        PressKey(Qt::Key_Backspace);
        QCOMPARE(form.Texts(), (QStringList{"1", "", "", ""}));
    }

    void leavingAFieldDropsLeadingZeros() {
        Form form;
        QVERIFY(ShowActive(&form.window));
        form.control->setFocus();
        TypeText(QStringLiteral("010"));
        QCOMPARE(form.Texts(), (QStringList{"10", "", "", ""}));
        QCOMPARE(form.control->Address().part[0], 10);
    }

    // The control is one tab stop: Tab leaves it from any field, Shift+Tab enters it at the first field.
    void tabTreatsTheControlAsOneStop() {
        Form form;
        QVERIFY(ShowActive(&form.window));
        form.before->setFocus();
        PressKey(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.control->Field(0));
        TypeText(QStringLiteral("1.2.3"));
        QCOMPARE(QApplication::focusWidget(), form.control->Field(2));
        PressKey(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.after);
        PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), form.control->Field(0));
        PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), form.before);
    }

    void setAddressBlankAndChangeSignal() {
        CIpAddressCtrl control;
        QSignalSpy changed(&control, &CIpAddressCtrl::addressChanged);
        QVERIFY(control.IsBlank());
        control.SetAddress(AddressFields{{10, 0, 300, -4}});
        QCOMPARE(control.Address(), (AddressFields{{10, 0, 255, 0}}));
        QVERIFY(!control.IsBlank());
        QVERIFY(changed.count() > 0);
        control.ClearAddress();
        QVERIFY(control.IsBlank());
        QCOMPARE(control.Address(), AddressFields{});
    }

    void pastingAWholeAddressFillsEveryField() {
        Form form;
        QVERIFY(ShowActive(&form.window));
        form.control->setFocus();
        QApplication::clipboard()->setText(QStringLiteral(" 172.16.0.254 "));
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::Paste);
        QCOMPARE(form.Texts(), (QStringList{"172", "16", "0", "254"}));
    }
};

QTEST_MAIN(IpAddressCtrlTest)
#include "IpAddressCtrlTest.moc"
