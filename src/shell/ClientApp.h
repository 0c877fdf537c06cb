#pragma once

#include "shell/TrayHost.h"
#include "shell/TrayWatch.h"
#include "ui/DialogContext.h"
#include "update/EnginePorts.h"
#include "update/UpdateCycle.h"
#include "update/UpdateCycleThread.h"

#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace zelto {

class AutodialSetting;
class CSystemTray;
class Clock;
class DesktopNotices;
class HostAddresses;
class HttpSessionFactory;
class SettingsFile;
class SoundPlayer;

// The outside world the application is built on: the engine's ports less the notices, which the
// application provides itself.
struct ShellPorts {
    SettingsFile& settings;
    HttpSessionFactory& http;
    AutodialSetting& autodial;
    HostAddresses& addresses;
    Clock& clock;
    SoundPlayer& sound;
};

// The desktop actions and timings, replaced in tests.
struct ShellHooks {
    std::function<void(const QUrl&)> openUrl;          // opens a page in the user's browser
    std::function<void(DialogContext&)> runProperties; // runs the Properties dialog modally
    std::function<bool(TrayKind)> trayHostPresent = &TrayHostPresent;
    std::chrono::milliseconds splashTime{2000};
    std::chrono::milliseconds trayLook{2000}; // how often the client looks whether its icon can show
    CycleTiming timing{};
};

// The application: starts the tray icon, the splash and the update thread, carries out the tray commands,
// and ends the program. Lives on the GUI thread; one per process, owned by its caller.
class CClientApp : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kTooltip = "Zelto Premium Online!";

    CClientApp(ShellPorts ports, ShellHooks hooks);
    ~CClientApp() override;
    CClientApp(const CClientApp&) = delete;
    CClientApp& operator=(const CClientApp&) = delete;

    // Start-up, before the event loop: on first run (no domains) it returns only when the Properties
    // dialog has closed. Check ExitRequested afterwards: the dialog's Quit ends the program.
    void InitInstance();

    // The tray icon; nullptr before InitInstance.
    CSystemTray* TrayIcon() const { return m_trayIcon.get(); }

public slots:
    // The tray menu's commands.
    void OnWebInterface();
    void OnHomepage();
    void OnProperties();
    void OnExit();

public:
    // Brings the Properties dialog up: raises the one open, or opens it. For a user who cannot reach the
    // tray, and for a second start of the client, which hands over to this one.
    void ShowProperties();

    // Stops the update thread (waiting for it), releases every message box and makes every running event
    // loop return with code. Called by Exit and by the dialogs' Quit; later calls do nothing.
    void ExitProcess(int code);
    bool ExitRequested() const { return m_exitCode.has_value(); }
    int ExitCode() const { return m_exitCode.value_or(0); }

private:
    void StopEngine();
    // Looks at the tray host, makes the icon once there is one, and tells what is due.
    TrayWatch::Step LookAtTray();

    ShellPorts m_ports;
    ShellHooks m_hooks;
    DialogContext m_dialogContext;
    std::unique_ptr<CSystemTray> m_trayIcon;
    std::unique_ptr<DesktopNotices> m_notices;
    std::unique_ptr<EnginePorts> m_enginePorts;
    std::unique_ptr<UpdateCycle> m_updateCycle;
    std::unique_ptr<UpdateCycleThread> m_cycleThread;
    std::optional<int> m_exitCode;
    TrayWatch m_trayWatch;
    QTimer m_trayLook;
    int m_propertiesOpen = 0;
};

} // namespace zelto
