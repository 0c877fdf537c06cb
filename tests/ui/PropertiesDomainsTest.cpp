#include "UiTestSupport.h"
#include "ui/PropertiesDlg.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace zelto;
using namespace zelto::uitest;
using namespace zelto::properties_ids;

namespace {

// The dialog shown, and the user's hands on its boxes and buttons.
struct OpenDialog {
    explicit OpenDialog(DialogWorld& world) : dialog(world.context) {
        dialog.SetMessageBox(world.RecordMessages());
        shown = ShowActive(&dialog);
    }
    void Type(int id, const QString& text) {
        QLineEdit* box = Control<QLineEdit>(&dialog, id);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    void Enter(const QString& domain, const QString& topLevel, const QString& password) {
        Type(kDomain, domain);
        Type(kTopLevel, topLevel);
        Type(kPassword, password);
    }
    void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(&dialog, id), Qt::LeftButton); }
    QString Status() { return Control<QPlainTextEdit>(&dialog, kStatus)->toPlainText(); }
    QStringList Boxes() {
        return {Control<QLineEdit>(&dialog, kDomain)->text(), Control<QLineEdit>(&dialog, kTopLevel)->text(),
                Control<QLineEdit>(&dialog, kPassword)->text()};
    }

    CPropertiesDlg dialog;
    bool shown = false;
};

} // namespace

class PropertiesDomainsTest : public QObject {
    Q_OBJECT

private slots:
    // Add checks the domain, then the top level, then the password; the boxes keep what was typed.
    void addDomain_data() {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QString>("topLevel");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("count");
        QTest::newRow("all empty") << ""
                                   << ""
                                   << ""
                                   << "Invalid Domain Name!" << 0;
        QTest::newRow("space in domain") << "my host"
                                         << "com"
                                         << "secret1"
                                         << "Invalid Domain Name!" << 0;
        QTest::newRow("apostrophe in domain") << "o'neil"
                                              << "com"
                                              << "secret1"
                                              << "Invalid Domain Name!" << 0;
        QTest::newRow("space in top level") << "zelto"
                                            << "co uk"
                                            << "secret1"
                                            << "Invalid Top Level" << 0;
        QTest::newRow("empty top level") << "zelto"
                                         << ""
                                         << "secret1"
                                         << "Invalid Top Level" << 0;
        QTest::newRow("five characters") << "zelto"
                                         << "com"
                                         << "12345"
                                         << "Password must be 6-8 characters!" << 0;
        QTest::newRow("six characters") << "zelto"
                                        << "com"
                                        << "123456"
                                        << "Domain zelto.com loaded." << 1;
        QTest::newRow("dots and digits") << "my-host.b2"
                                         << "co.uk"
                                         << "Pass-w0rd"
                                         << "Domain my-host.b2.co.uk loaded." << 1;
    }
    void addDomain() {
        QFETCH(QString, domain);
        QFETCH(QString, topLevel);
        QFETCH(QString, password);
        QFETCH(QString, status);
        QFETCH(int, count);
        DialogWorld world;
        OpenDialog open(world);
        QVERIFY(open.shown);
        open.Enter(domain, topLevel, password);
        open.Click(kAddDomain);
        QCOMPARE(open.Status(), status);
        QCOMPARE(world.settings.ReadInt("numofdomains", 0), count);
        QCOMPARE(open.Boxes(), (QStringList{domain, topLevel, password.left(8)}));
        QVERIFY(world.messages.empty());
        QVERIFY(world.sound.Played().empty());
    }

    void passwordBoxTakesEightCharacters() {
        DialogWorld world;
        OpenDialog open(world);
        open.Enter(QStringLiteral("zelto"), QStringLiteral("com"), QStringLiteral("123456789"));
        QCOMPARE(Control<QLineEdit>(&open.dialog, kPassword)->text(), QStringLiteral("12345678"));
        QCOMPARE(open.dialog.m_strPassword, QStringLiteral("12345678"));
        open.Click(kAddDomain);
        QCOMPARE(world.settings.ReadText("password1"), std::string("12345678"));
    }

    void addTwoThenRemoveTheFirst() {
        DialogWorld world;
        OpenDialog open(world);
        open.Enter(QStringLiteral("zelto"), QStringLiteral("com"), QStringLiteral("secret1"));
        open.Click(kAddDomain);
        open.Enter(QStringLiteral("home"), QStringLiteral("net"), QStringLiteral("secret2"));
        open.Click(kAddDomain);
        QCOMPARE(open.Status(), QStringLiteral("Domain zelto.com, home.net loaded."));

        open.Enter(QStringLiteral("zelto"), QStringLiteral("com"), QStringLiteral("secret1"));
        open.Click(kRemoveDomain);
        QCOMPARE(open.Status(), QStringLiteral("Domain home.net loaded."));
        QCOMPARE(open.Boxes(), (QStringList{"", "", ""}));
        QCOMPARE(open.dialog.m_strDomain, QString());
        QCOMPARE(world.settings.ReadInt("numofdomains", 0), 1);
        QCOMPARE(world.settings.ReadText("second_level1"), std::string("home"));
    }

    // Labels and password must all match, letter case included; the boxes are cleared all the same.
    void removeThatMatchesNothing_data() {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QString>("topLevel");
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong password") << "zelto"
                                        << "com"
                                        << "wrong1";
        QTest::newRow("other case") << "zelto"
                                    << "Com"
                                    << "secret1";
        QTest::newRow("empty boxes") << ""
                                     << ""
                                     << "";
    }
    void removeThatMatchesNothing() {
        QFETCH(QString, domain);
        QFETCH(QString, topLevel);
        QFETCH(QString, password);
        DialogWorld world;
        for (auto [key, value] : {std::pair{"numofdomains", "1"},
                                  {"second_level1", "zelto"},
                                  {"first_level1", "com"},
                                  {"password1", "secret1"}})
            world.settings.WriteText(key, value);
        const std::string before = world.FileContent();
        OpenDialog open(world);
        open.Enter(domain, topLevel, password);
        open.Click(kRemoveDomain);
        QCOMPARE(open.Status(), QStringLiteral("Domain zelto.com loaded."));
        QCOMPARE(open.Boxes(), (QStringList{"", "", ""}));
        QCOMPARE(world.FileContent(), before);
    }

    void clearAllKeepsTheBoxes() {
        DialogWorld world;
        OpenDialog open(world);
        open.Enter(QStringLiteral("zelto"), QStringLiteral("com"), QStringLiteral("secret1"));
        open.Click(kAddDomain);
        open.Click(kClearAllDomains);
        QCOMPARE(open.Status(), QStringLiteral("No Domains Loaded!"));
        QCOMPARE(world.settings.ReadInt("numofdomains", -1), 0);
        QCOMPARE(open.Boxes(), (QStringList{"zelto", "com", "secret1"}));
        open.Click(kAddDomain); // the boxes still hold the domain: it comes back as entry 1
        QCOMPARE(open.Status(), QStringLiteral("Domain zelto.com loaded."));
    }

    void failedWriteIsTold() {
        DialogWorld world(false);
        CPropertiesDlg dialog(world.context);
        dialog.SetMessageBox(world.RecordMessages());
        QVERIFY(ShowActive(&dialog));
        QTest::keyClicks(Control<QLineEdit>(&dialog, kDomain), QStringLiteral("zelto"));
        QTest::keyClicks(Control<QLineEdit>(&dialog, kTopLevel), QStringLiteral("com"));
        QTest::keyClicks(Control<QLineEdit>(&dialog, kPassword), QStringLiteral("secret1"));
        Control<QAbstractButton>(&dialog, kAddDomain)->click();
        QCOMPARE(Control<QPlainTextEdit>(&dialog, kStatus)->toPlainText(), QStringLiteral("No Domains Loaded!"));
        QCOMPARE(world.messages.size(), std::size_t(1));
    }
};

QTEST_MAIN(PropertiesDomainsTest)
#include "PropertiesDomainsTest.moc"
