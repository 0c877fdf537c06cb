#pragma once

#include "platform/PlatformPorts.h"
#include "win32/DialogContext.h"

#include <windows.h>

#include <memory>

namespace zelto {

class SettingsFile;
class CMainFrm;
class CSystemTray;
class HandOverWindow;
class UpdateCycle;
class WindowsNotices;
class WindowsSockets;
struct EnginePorts;

// The application: start-up, the tray menu's commands and the two ways out. The objects it creates at
// start-up live until the process ends.
class CClientApp {
public:
    // The settings file and the platform's adapters, assembled by the program's main.
    CClientApp(SettingsFile& settings, PlatformPorts ports);
    ~CClientApp();
    CClientApp(const CClientApp&) = delete;
    CClientApp& operator=(const CClientApp&) = delete;

    // Sockets, the hidden frame, the tray icon, the splash, the update thread, and the Properties dialog
    // when no domain is configured. FALSE ends the program at once.
    BOOL InitInstance();
    // The message loop, until the frame closes; then the process ends with its exit code.
    [[noreturn]] void Run();

    void OnWebInterface();
    void OnHomepage();
    void OnProperties();
    void OnExit();
    // Brings the Properties dialog up: to the front when open, else opens it. For a second start of the
    // program on the same settings file, which hands over to this one.
    void ShowProperties();

    CSystemTray* m_pTrayIcon = nullptr;
    HICON m_hTrayIcon = nullptr;

private:
    bool OnCommand(UINT id);
    void OpenPage(const std::string& url);
    // Asks the update thread to stop (so that a request in flight puts the dial-up setting back), gives it
    // a moment, and ends the process; the thread ends with it wherever it is.
    [[noreturn]] void EndProcess(int code);

    SettingsFile& m_settings;
    PlatformPorts m_ports;
    DialogContext m_dialogContext;
    std::unique_ptr<WindowsSockets> m_pSockets;
    std::unique_ptr<CMainFrm> m_pMainWnd;
    std::unique_ptr<HandOverWindow> m_pHandOver;
    int m_nPropertiesOpen = 0;
    std::unique_ptr<CSystemTray> m_pTray;
    std::unique_ptr<WindowsNotices> m_pNotices;
    std::unique_ptr<EnginePorts> m_pEnginePorts;
    std::unique_ptr<UpdateCycle> m_pUpdateCycle;
    HANDLE m_hWorker = nullptr;
};

} // namespace zelto
