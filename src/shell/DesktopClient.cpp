#include "shell/DesktopClient.h"

#include "desktop/DesktopStart.h"
#include "platform/SettingsText.h"
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
#include <optional>

namespace zelto::qt {

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

// The start's questions, answered with Qt. The application object comes only when a window is to show.
class QtDesktopStart : public DesktopStartView {
public:
    QtDesktopStart(const std::filesystem::path& settings, const PlatformPorts& platform, int& argc, char** argv)
        : m_settingsPath(settings), m_platform(platform), m_argc(argc), m_argv(argv) {}

    bool HandOver() override { return HandOverToRunningClient(m_settingsPath); }

    // Started from a menu, nobody sees standard error: the box says why there is no tray icon.
    void Tell(const std::string& text) override {
        std::fprintf(stderr, "zelto-premium: %s\n", PrintableText(text).c_str());
        Application();
        ShowWarningMessage(nullptr, QString::fromStdString(ShownText(text)));
    }

    int Run(SettingsFile& settings) override {
        Application();
        ShellHooks hooks;
        hooks.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
        hooks.runProperties = [](DialogContext& context) {
            CPropertiesDlg dialog(context);
            RunDialog(dialog);
        };
        CClientApp client(settings, m_platform, std::move(hooks));
        // A second start on the same settings file finds this one from now on, the first-run dialog included.
        HandOverServer handOver(m_settingsPath, [&client] { client.ShowProperties(); });
        client.InitInstance();
        if (client.ExitRequested())
            return client.ExitCode();
        return QApplication::exec();
    }

private:
    void Application() {
        if (!m_application)
            m_application.emplace(m_argc, m_argv);
    }

    std::filesystem::path m_settingsPath;
    const PlatformPorts& m_platform;
    int& m_argc;
    char** m_argv;
    std::optional<QApplication> m_application;
};

} // namespace

int RunDesktopClient(const std::filesystem::path& settingsPath, const PlatformPorts& platform, int argc, char** argv) {
    if (!HasDisplay()) {
        std::fputs("zelto-premium: no display for the tray client; use --headless or --once on a server "
                   "(see --help)\n",
                   stderr);
        return 2;
    }
    QtDesktopStart start(settingsPath, platform, argc, argv);
    return StartDesktop(settingsPath, start);
}

} // namespace zelto::qt
