#include "ui/PropertiesDlg.h"
#include "ServiceEmulator.h"
#include "UiTestSupport.h"
#include "platform/linux/http/SocketHttpSession.h"
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
    explicit Shown(DialogWorld& world, DialogContext* context = nullptr) : dialog(context ? *context : world.context) {
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
    QStringList Boxes() {
        QStringList texts;
        for (int id : {kDomain, kTopLevel, kPassword})
            texts << Control<QLineEdit>(&dialog, id)->text();
        return texts;
    }
    bool Checked(int id) { return Control<QRadioButton>(&dialog, id)->isChecked(); }
    CIpAddressCtrl* Address() { return Control<CIpAddressCtrl>(&dialog, kIpAddress); }

    CPropertiesDlg dialog;
};

} // namespace

class PropertiesDlgTest : public QObject {
    Q_OBJECT

private slots:
    // OK writes the method shown, the four fixed fields, "ipaddress" empty unless fixed, and "updatedip" empty.
    void okWritesTheMethodShown() {
        const struct {
            const char *stored, *typed; // typed: the user picks fixed and types this into a blank control
            int shown;
            const char *method, *fields;
        } rows[] = {
            {nullptr, nullptr, kBoth, "2", "20 20 20 20"}, {"0", nullptr, kServer, "0", "20 20 20 20"},
            {"3", nullptr, kFixed, "3", "20 20 20 20"},    {"7", nullptr, kBoth, "2", "20 20 20 20"},
            {"1", "10.0.0.7", kClient, "3", "10 0 0 7"},   {nullptr, "", kBoth, "3", "0 0 0 0"},
        };
        const char* keys[] = {"one", "two", "three", "four"};
        for (auto row : rows) {
            DialogWorld world;
            if (row.stored)
                world.settings.WriteText("ipmethod", row.stored);
            for (const char* key : {"ipaddress", "updatedip"})
                world.settings.WriteText(key, "203.0.113.9");
            for (const char* key : keys)
                world.settings.WriteText(key, "20");
            Shown shown(world);
            QVERIFY(shown.Checked(row.shown));
            QCOMPARE(shown.Address()->Address(), (AddressFields{{20, 20, 20, 20}}));
            if (row.typed) {
                shown.Click(kFixed);
                shown.Address()->ClearAddress();
                shown.Address()->setFocus();
                TypeText(QString::fromLatin1(row.typed));
            }
            shown.Click(ids::kOk);
            QCOMPARE(world.settings.ReadText("ipmethod"), std::string(row.method));
            QCOMPARE(world.settings.ReadText("ipaddress"), std::string(row.method[0] == '3' ? "203.0.113.9" : ""));
            QCOMPARE(world.settings.ReadText("updatedip"), std::string());
            QStringList stored;
            for (const char* key : keys)
                stored << QString::fromStdString(world.settings.ReadText(key));
            QCOMPARE(stored.join(QLatin1Char(' ')), QString::fromLatin1(row.fields));
            QVERIFY(world.events.empty());
        }
    }

    // A failed write keeps the dialog open and says so instead of losing the chosen method in silence.
    void okThatCannotWriteSaysSo() {
        DialogWorld world(false);
        Shown shown(world);
        shown.Click(ids::kOk);
        QVERIFY(shown.dialog.isVisible());
        QCOMPARE(world.messages.size(), std::size_t(1));
    }

    // Add checks the domain, then the top level, then the password; the boxes keep what was typed.
    void addDomain() {
        const struct {
            const char *domain, *topLevel, *password, *status;
        } rows[] = {
            {"", "", "", "Invalid Domain Name!"},
            {"zelto", "co uk", "secret1", "Invalid Top Level"},
            {"zelto", "com", "12345", "Password must be 6-8 characters!"},
            {"zelto", "com", "123456", "Domain zelto.com loaded."},
            {"my-host", "co.uk", "123456789", "Domain my-host.co.uk loaded."},
        };
        for (auto row : rows) {
            DialogWorld world;
            Shown shown(world);
            shown.Enter(row.domain, row.topLevel, row.password);
            shown.Click(kAddDomain);
            QCOMPARE(shown.Status(), QString::fromLatin1(row.status));
            const std::string password = std::string(row.password).substr(0, 8);
            QCOMPARE(shown.Boxes(), (QStringList{QString::fromLatin1(row.domain), QString::fromLatin1(row.topLevel),
                                                 QString::fromStdString(password)}));
            QCOMPARE(world.settings.ReadText("password1"), row.status[0] == 'D' ? password : std::string());
        }
    }

    // From a first run: the prompt, "both" and 0.0.0.0 shown; then two domains added, removed and cleared.
    void domainsFromAFirstRun() {
        DialogWorld world;
        Shown shown(world);
        QCOMPARE(shown.Status(), QStringLiteral("Please enter domain(e.g. zelto or microsoft), top level(e.g. com or "
                                                "net) and password(6-8 characters) below. "));
        QVERIFY(shown.Checked(kBoth));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(shown.Address()->Field(i)->text(), QStringLiteral("0"));
        QCOMPARE(world.FileContent(), std::string());
        shown.Enter("zelto", "com", "secret1");
        shown.Click(kAddDomain);
        shown.Enter("home", "net", "secret2");
        shown.Click(kAddDomain);
        shown.Enter("zelto", "com", "wrong1");
        shown.Click(kRemoveDomain);
        QCOMPARE(shown.Status(), QStringLiteral("Domain zelto.com, home.net loaded."));
        QCOMPARE(shown.Boxes(), (QStringList{QString(), QString(), QString()}));

        shown.Enter("zelto", "com", "secret1");
        shown.Click(kRemoveDomain);
        QCOMPARE(shown.Status(), QStringLiteral("Domain home.net loaded."));
        QCOMPARE(shown.Boxes(), (QStringList{QString(), QString(), QString()}));
        QCOMPARE(world.settings.ReadText("second_level1"), std::string("home"));

        shown.Enter("home", "net", "secret2");
        shown.Click(kClearAllDomains);
        QCOMPARE(shown.Status(), QStringLiteral("No Domains Loaded!"));
        QCOMPARE(world.settings.ReadText("numofdomains"), std::string("0"));
        QCOMPARE(shown.Boxes(),
                 (QStringList{QStringLiteral("home"), QStringLiteral("net"), QStringLiteral("secret2")}));
    }

    // Quit, Esc and the close button end the program alike: the icon goes, "OUCH" plays to its end, the
    // process exits with 0, and nothing the dialog shows is saved.
    void everyCancelEndsTheProgram() {
        for (int how = 0; how < 3; ++how) {
            DialogWorld world;
            world.settings.WriteText("updatedip", "198.51.100.4");
            const std::string before = world.FileContent();
            Shown shown(world);
            shown.Click(kFixed);
            shown.Address()->SetAddress(AddressFields{{10, 1, 2, 3}});
            if (how == 0)
                shown.Click(ids::kCancel);
            else if (how == 1)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                shown.dialog.close();
            QCOMPARE(world.events, (std::vector<std::string>{"hide", "played OUCH", "exit 0"}));
            QCOMPARE(world.FileContent(), before);
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
            QVERIFY(world.events.empty());
        }
    }

    // "BLEEP", then the message the outcome calls for (which domain decides is checked in tests/config).
    void forceIpUpdate() {
        const char* success = "Fresh IP update will occur in a few moments!";
        const char* failure = "Fresh IP update could not complete!";
        const struct {
            const char* password;
            const char* message;
        } rows[] = {{"secret1", success}, {"wrong99", failure}};
        for (auto row : rows) {
            emulator::ServiceEmulator service(emulator::Options{0, std::chrono::seconds(30), {}, false});
            service.AddAccount({"zelto", "com", "secret1", false});
            DialogWorld world;
            world.settings.WriteText("updateserver", service.HostPort());
            SocketHttpSessionFactory http("zelto-premium", {std::chrono::seconds(2), std::chrono::seconds(5)});
            DialogContext context{world.settings, http, world.sound, [] {}, [](int) {}};
            Shown shown(world, &context);
            shown.Enter("zelto", "com", row.password);
            shown.Click(kAddDomain);
            shown.dialog.SetMessageBox([&](QWidget*, const QString& text) {
                world.messages = world.sound.Played();
                world.messages.push_back(text.toStdString());
            });
            shown.Click(kForceIpUpdate);
            QCOMPARE(world.messages, (std::vector<std::string>{"BLEEP", row.message}));
        }
    }
};

QTEST_MAIN(PropertiesDlgTest)
#include "PropertiesDlgTest.moc"
