#pragma once

#include "settings/SettingsFile.h"

#include "desktop/DesktopCommands.h"
#include "desktop/DesktopSession.h"
#include "desktop/TrayWatch.h"
#include "shell/TrayHost.h"

#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace zelto::qt {

class CSystemTray;
class TrayHostWatch;
class DesktopNotices;

// The desktop actions and timings, replaced in tests.
struct ShellHooks {
    std::function<void(const QUrl&)> openUrl;          // opens a page in the user's browser
    std::function<void(DialogContext&)> runProperties; // runs the Properties dialog
    std::function<bool(TrayKind)> trayHostPresent = &TrayHostPresent;
    std::optional<std::chrono::milliseconds> splashTime; // the session's own unless given
    CycleTiming timing{};
};

// The Qt skin of the desktop session: the tray icon and its menu, the splash, the notices and the event
// loop. Lives on the GUI thread; one per process, owned by its caller.
class CClientApp : public QObject, private DesktopShell {
    Q_OBJECT

public:
    CClientApp(SettingsFile& settings, const PlatformPorts& platform, ShellHooks hooks);
    ~CClientApp() override;
    CClientApp(const CClientApp&) = delete;
    CClientApp& operator=(const CClientApp&) = delete;

    // Start-up, before the event loop: on first run (no domains) it returns only when the Properties
    // dialog has closed. Check ExitRequested afterwards: the dialog's Quit ends the program.
    void InitInstance();

    // Looks again whether the icon can show: what the tray host watch calls when a host came or went.
    void OnTrayHostsChanged();

    // Brings the Properties dialog up: raises the one open, or opens it. For a user who cannot reach the
    // tray, and for a second start of the client, which hands over to this one.
    void ShowProperties();

    CSystemTray* TrayIcon() const { return m_trayIcon.get(); }
    bool ExitRequested() const { return m_exitCode.has_value(); }
    int ExitCode() const { return m_exitCode.value_or(0); }

private:
    bool ShowTray(const std::string& tooltip) override;
    void HideTray() override;
    void ShowSplash(std::chrono::milliseconds time) override;
    void RunProperties(DialogContext& context) override;
    void RaiseProperties() override;
    void OpenUrl(const std::string& url) override;
    void CloseNotices() override;
    void EndProcess(int code) override;
    void PostToGui(std::function<void()> task) override;
    // Looks at the tray host, makes the icon once there is one, and tells what is due.
    TrayWatch::Step LookAtTray();

    ShellHooks m_hooks;
    std::unique_ptr<CSystemTray> m_trayIcon;
    std::unique_ptr<DesktopNotices> m_notices;
    std::optional<int> m_exitCode;
    std::string m_tooltip; // for an icon made later
    TrayWatch m_trayWatch;
    std::unique_ptr<TrayHostWatch> m_hostWatch;
    DesktopCommands m_commands;
    DesktopSession m_session; // last: its update cycle stops before the notices and the icon go
};

} // namespace zelto::qt
