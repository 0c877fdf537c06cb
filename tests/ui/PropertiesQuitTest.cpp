#include "UiTestSupport.h"
#include "ui/IpAddressCtrl.h"
#include "ui/PropertiesDlg.h"

#include <QAbstractButton>
#include <QRadioButton>

using namespace zelto;
using namespace zelto::uitest;
using namespace zelto::properties_ids;

class PropertiesQuitTest : public QObject {
    Q_OBJECT

private slots:
    // Every way of cancelling ends the program the same way: the icon goes, "OUCH" plays to its end, the
    // process exits with 0, and nothing the dialog shows is saved.
    void everyCancelEndsTheProgram_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Quit button") << "quit";
        QTest::newRow("Esc key") << "esc";
        QTest::newRow("close button") << "close";
        QTest::newRow("reject") << "reject";
    }
    void everyCancelEndsTheProgram() {
        QFETCH(QString, how);
        DialogWorld world;
        world.settings.WriteText("ipmethod", "1");
        world.settings.WriteText("updatedip", "198.51.100.4");
        const std::string before = world.FileContent();
        CPropertiesDlg dialog(world.context);
        QVERIFY(ShowActive(&dialog));
        QTest::mouseClick(Control<QRadioButton>(&dialog, kFixed), Qt::LeftButton);
        Control<CIpAddressCtrl>(&dialog, kIpAddress)->SetAddress(AddressFields{{10, 1, 2, 3}});

        if (how == QStringLiteral("quit"))
            QTest::mouseClick(Control<QAbstractButton>(&dialog, ids::kCancel), Qt::LeftButton);
        else if (how == QStringLiteral("esc"))
            PressKey(Qt::Key_Escape);
        else if (how == QStringLiteral("close"))
            dialog.close();
        else
            dialog.reject();

        QCOMPARE(world.events, (std::vector<std::string>{"hide", "played OUCH", "exit 0"}));
        QCOMPARE(world.FileContent(), before);
        QVERIFY(!dialog.isVisible());
    }

    // Opened before the application's event loop runs, as at a first start: cancelling still ends it.
    void cancelWorksFromANestedRun() {
        DialogWorld world;
        CPropertiesDlg dialog(world.context);
        WhenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        dialog.setModal(true);
        dialog.exec();
        QCOMPARE(world.events, (std::vector<std::string>{"hide", "played OUCH", "exit 0"}));
    }
};

QTEST_MAIN(PropertiesQuitTest)
#include "PropertiesQuitTest.moc"
