#include "shell/DesktopClient.h"

#include "settings/SettingsFile.h"
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

int RunDesktopClient(const std::filesystem::path& settingsPath, const PlatformPorts& platform, int argc, char** argv) {
    if (!HasDisplay()) {
        std::fputs("zelto-premium: no display for the tray client; use --headless or --once on a server "
                   "(see --help)\n",
                   stderr);
        return 2;
    }
    QApplication application(argc, argv);
    SettingsFile settings(settingsPath);

    ShellHooks hooks;
    hooks.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    hooks.runProperties = [](DialogContext& context) {
        CPropertiesDlg dialog(context);
        RunDialog(dialog);
    };
    CClientApp client(settings, platform, std::move(hooks));
    client.InitInstance();
    if (client.ExitRequested())
        return client.ExitCode();
    return QApplication::exec();
}

} // namespace zelto
