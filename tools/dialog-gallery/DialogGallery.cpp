// Saves a picture of every dialog in the states a user meets them, for review: the Properties dialog on a
// first run, with two domains, with a validation message and with a fixed address; the About box; the
// Ignore IP List with two entries; and the Force IP Update message against the local service emulator.
// Usage: zelto-dialog-gallery OUTPUT_DIR (run with QT_QPA_PLATFORM=offscreen or on a display).

#include "ResourceIds.h"
#include "ServiceEmulator.h"
#include "desktop/DialogWorker.h"
#include "platform/SilentSoundPlayer.h"
#include "platform/linux/http/SocketHttpSession.h"
#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"
#include "ui/AboutDlg.h"
#include "ui/DialogResource.h"
#include "ui/IgnoreIpDlg.h"
#include "ui/IpAddressCtrl.h"
#include "ui/PropertiesDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace zelto;
using namespace zelto::qt;

namespace {

class Gallery {
public:
    explicit Gallery(const QString& folder) : folder_(folder) {}

    bool Save(QWidget* window, const QString& name) {
        window->show();
        window->activateWindow();
        QApplication::processEvents();
        const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
        const bool saved = window->grab().save(path);
        std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
        ok_ = ok_ && saved;
        return saved;
    }
    bool Ok() const { return ok_; }

private:
    QString folder_;
    bool ok_ = true;
};

template <class T> T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(ControlName(id));
}

// The user's typing into the three domain boxes, then a click on one of the domain buttons.
void EnterDomain(CPropertiesDlg& dialog, const char* domain, const char* topLevel, const char* password, int button) {
    Control<QLineEdit>(&dialog, IDC_DOMAIN)->setText(QString::fromLatin1(domain));
    Control<QLineEdit>(&dialog, IDC_TOPLEVEL)->setText(QString::fromLatin1(topLevel));
    Control<QLineEdit>(&dialog, IDC_PASSWORD)->setText(QString::fromLatin1(password));
    Control<QAbstractButton>(&dialog, button)->click();
}

// A Properties dialog over its own settings file, silent, with Quit made harmless.
struct Scene {
    QTemporaryDir dir;
    SettingsFile settings{dir.filePath(QStringLiteral("ZeltoPre.INI")).toStdString()};
    SilentSoundPlayer sound;
    SocketHttpSessionFactory http{"zelto-premium"};
    DialogWorker worker{[](std::function<void()> task) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
    }};
    DialogContext context{settings, http, sound, [] {}, worker, [](const std::string&) {}};
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zelto-premium"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    Gallery gallery(folder);

    {
        Scene scene;
        CPropertiesDlg dialog(scene.context);
        gallery.Save(&dialog, QStringLiteral("properties-first-run"));
        EnterDomain(dialog, "o'neil", "com", "secret1", IDC_ADD_DOMAIN);
        gallery.Save(&dialog, QStringLiteral("properties-validation"));
        EnterDomain(dialog, "zelto", "com", "secret1", IDC_ADD_DOMAIN);
        EnterDomain(dialog, "myhome", "net", "secret22", IDC_ADD_DOMAIN);
        gallery.Save(&dialog, QStringLiteral("properties-two-domains"));
        Control<QRadioButton>(&dialog, IDC_METHOD_FIXED)->click();
        auto* address = Control<CIpAddressCtrl>(&dialog, IDC_IPADDRESS);
        address->SetAddress(AddressFields{{203, 0, 113, 25}});
        address->Field(3)->setFocus();
        gallery.Save(&dialog, QStringLiteral("properties-fixed-address"));
    }
    {
        CAboutDlg about;
        gallery.Save(&about, QStringLiteral("about"));
    }
    {
        Scene scene;
        CIgnoreIpDlg dialog(scene.settings);
        for (const AddressFields& address : {AddressFields{{192, 168, 1, 1}}, AddressFields{{10, 0, 0, 138}}}) {
            dialog.m_ipAddress->SetAddress(address);
            dialog.OnAddIp();
        }
        gallery.Save(&dialog, QStringLiteral("ignore-ip-list"));
    }
    {
        emulator::ServiceEmulator service(emulator::Options{0, std::chrono::seconds(30), {}, false});
        service.AddAccount({"zelto", "com", "secret1", false});
        Scene scene;
        ClientSettings(scene.settings).WriteUpdateServer(service.HostPort());
        CPropertiesDlg dialog(scene.context);
        EnterDomain(dialog, "zelto", "com", "secret1", IDC_ADD_DOMAIN);
        // The requests run on the dialog's worker; the message comes back through the event loop.
        QEventLoop answered;
        dialog.SetMessageBox([&gallery, &answered](QWidget* parent, const QString& text) {
            const auto box = MakeWarningMessage(parent, text);
            gallery.Save(box.get(), QStringLiteral("force-ip-update"));
            answered.quit();
        });
        dialog.show();
        Control<QAbstractButton>(&dialog, IDC_FORCE_IP_UPDATE)->click();
        QTimer::singleShot(std::chrono::seconds(30), &answered, &QEventLoop::quit);
        answered.exec();
    }
    return gallery.Ok() ? 0 : 1;
}
