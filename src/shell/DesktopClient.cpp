#include "shell/DesktopClient.h"

#include "desktop/HeldSettingsFile.h"
#include "platform/InstanceLock.h"
#include "platform/SettingsText.h"
#include "schema/ClientSettings.h"
#include "schema/SettingsProblem.h"
#include "settings/SettingsFile.h"
#include "shell/ClientApp.h"
#include "shell/DialogRun.h"
#include "shell/HandOver.h"
#include "ui/MessageBox.h"
#include "ui/PropertiesDlg.h"
#include "update/PrintableText.h"

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
    // Held until the program ends: two desktop clients would send every update twice.
    const InstanceLock instance(settingsPath, ClientKind::Desktop);
    if (instance.Result() == InstanceLock::Claim::HeldElsewhere) {
        return OnHeldSettingsFile(
            settingsPath, instance.Holder(), [&] { return HandOverToRunningClient(settingsPath); },
            [&](const std::string& text) {
                std::fprintf(stderr, "zelto-premium: %s\n", PrintableText(text).c_str());
                const QApplication application(argc, argv);
                ShowWarningMessage(nullptr, QString::fromStdString(ShownText(text)));
            });
    }
    QApplication application(argc, argv);
    SettingsFile settings(settingsPath);
    // Started from a menu, nobody sees standard error: the box says why there is no tray icon.
    if (const SettingsProblem problem = ClientSettingsView(settings).Problem()) {
        ShowWarningMessage(nullptr, QString::fromStdString(PrintableText(SettingsProblemText(problem))));
        return 1;
    }

    ShellHooks hooks;
    hooks.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    hooks.runProperties = [](DialogContext& context) {
        CPropertiesDlg dialog(context);
        RunDialog(dialog);
    };
    CClientApp client(settings, platform, std::move(hooks));
    // A second start on the same settings file finds this one from now on, the first-run dialog included.
    HandOverServer handOver(settingsPath, [&client] { client.ShowProperties(); });
    client.InitInstance();
    if (client.ExitRequested())
        return client.ExitCode();
    return QApplication::exec();
}

} // namespace zelto
