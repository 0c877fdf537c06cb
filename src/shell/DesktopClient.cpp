#include "shell/DesktopClient.h"

#include "platform/linux/InterfaceAddresses.h"
#include "platform/linux/NullAutodialSetting.h"
#include "platform/linux/SocketHttpSession.h"
#include "platform/linux/SystemClock.h"
#include "settings/SettingsFile.h"
#include "shell/AlsaSoundPlayer.h"
#include "shell/ClientApp.h"
#include "shell/DialogRun.h"
#include "ui/PropertiesDlg.h"

#include <QApplication>
#include <QDesktopServices>

#include <cstdio>
#include <cstdlib>

namespace zelto {

namespace {

// Qt aborts when it finds no display; on a server say what to do instead.
bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

int RunDesktopClient(const std::filesystem::path& settingsPath, int argc, char** argv) {
    if (!HasDisplay()) {
        std::fputs("zelto-premium: no display for the tray client; use --headless or --once on a server "
                   "(see --help)\n",
                   stderr);
        return 2;
    }
    QApplication application(argc, argv);
    SettingsFile settings(settingsPath);
    // The application's name, the executable's base name, is also the agent name of every request.
    SocketHttpSessionFactory http(QCoreApplication::applicationName().toStdString());
    NullAutodialSetting autodial;
    InterfaceAddresses addresses;
    SystemClock clock;
    AlsaSoundPlayer sound;

    ShellHooks hooks;
    hooks.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    hooks.runProperties = [](DialogContext& context) {
        CPropertiesDlg dialog(context);
        RunDialog(dialog);
    };
    CClientApp client(ShellPorts{settings, http, autodial, addresses, clock, sound}, std::move(hooks));
    client.InitInstance();
    if (client.ExitRequested())
        return client.ExitCode();
    return QApplication::exec();
}

} // namespace zelto
