#include "ui/AboutDlg.h"
#include "UiTestSupport.h"
#include "ui/PropertiesDlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>

using namespace zelto;
using namespace zelto::uitest;

namespace {

struct SeenAbout {
    QString title;
    QStringList labels;
};

// Closes the next modal dialog with Esc and tells what it showed.
std::shared_ptr<SeenAbout> CloseNextModal() {
    auto seen = std::make_shared<SeenAbout>();
    WhenModalOpens([seen](QWidget* modal) {
        seen->title = modal->windowTitle();
        for (const QLabel* label : modal->findChildren<QLabel*>())
            seen->labels << label->text();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    return seen;
}

} // namespace

class AboutDlgTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheProductAndItsMaker() {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Zelto Premium Dynamic DNS Client v3.4"));
        // The product, then three lines naming the maker and how to reach it.
        const QStringList lines =
            about.findChild<QLabel*>(QStringLiteral("IDC_STATIC_TEXT"))->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("Zelto Premium Dynamic DNS Client v3.4"));
        QCOMPARE(Control<QAbstractButton>(&about, ids::kOk)->text(), QStringLiteral("OK"));
    }

    // The system menu of the window manager takes no items: About is in the context menu and on F1.
    void propertiesOpenAboutAndComeBackUnchanged_data() {
        QTest::addColumn<bool>("byF1");
        QTest::newRow("F1") << true;
        QTest::newRow("context menu") << false;
    }
    void propertiesOpenAboutAndComeBackUnchanged() {
        QFETCH(bool, byF1);
        DialogWorld world;
        CPropertiesDlg dialog(world.context);
        QVERIFY(ShowActive(&dialog));
        const auto seen = CloseNextModal();
        if (byF1) {
            PressKey(Qt::Key_F1);
        } else {
            QCOMPARE(dialog.contextMenuPolicy(), Qt::ActionsContextMenu);
            const QList<QAction*> actions = dialog.actions();
            QCOMPARE(actions.size(), 1);
            QCOMPARE(actions[0]->text(), QStringLiteral("&About Zelto..."));
            actions[0]->trigger();
        }
        QCOMPARE(seen->title, QStringLiteral("About Zelto Premium Dynamic DNS Client v3.4"));
        QVERIFY(dialog.isVisible());
        QVERIFY(world.events.empty()); // Esc closed the About box, not the program
        QCOMPARE(world.FileContent(), std::string());
    }
};

QTEST_MAIN(AboutDlgTest)
#include "AboutDlgTest.moc"
