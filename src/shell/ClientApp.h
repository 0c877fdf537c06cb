#pragma once

#include "ui/DialogContext.h"
#include "update/EnginePorts.h"
#include "update/UpdateThread.h"

#include <QIcon>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace zelto {

class AutodialSetting;
class CMainFrm;
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
    std::chrono::milliseconds splashTime{2000};
    CycleTiming timing{};
};

// The application: starts the hidden frame, the tray icon, the splash and the update thread, carries out
// the tray commands, and ends the program. Lives on the GUI thread; one per process, owned by its caller.
class CClientApp {
public:
    static constexpr const char* kTooltip = "Zelto Premium Online!";

    CClientApp(ShellPorts ports, ShellHooks hooks);
    ~CClientApp();
    CClientApp(const CClientApp&) = delete;
    CClientApp& operator=(const CClientApp&) = delete;

    // Start-up, before the event loop: on first run (no domains) it returns only when the Properties
    // dialog has closed. Check ExitRequested afterwards: the dialog's Quit ends the program.
    void InitInstance();

    void OnWebInterface();
    void OnHomepage();
    void OnProperties();
    void OnExit();

    // Stops the update thread (waiting for it), releases every message box and makes every running event
    // loop return with code. Called by Exit and by the dialogs' Quit; later calls do nothing.
    void ExitProcess(int code);
    bool ExitRequested() const { return m_nExitCode.has_value(); }
    int ExitCode() const { return m_nExitCode.value_or(0); }

    std::unique_ptr<CSystemTray> m_pTrayIcon;
    QIcon m_hTrayIcon;

private:
    void StopEngine();

    ShellPorts m_ports;
    ShellHooks m_hooks;
    DialogContext m_dialogContext;
    std::unique_ptr<CMainFrm> m_pMainWnd;
    std::unique_ptr<DesktopNotices> m_pNotices;
    std::unique_ptr<EnginePorts> m_pEnginePorts;
    std::unique_ptr<CUpdateThread> m_pUpdateThread;
    std::unique_ptr<UpdateThreadRunner> m_pRunner;
    std::optional<int> m_nExitCode;
};

} // namespace zelto
