#pragma once

#include "platform/windows/WindowsSockets.h"
#include "settings/SettingsFile.h"

#include "desktop/DesktopCommands.h"
#include "desktop/DesktopSession.h"
#include "platform/PlatformPorts.h"

#include <windows.h>

#include <memory>

namespace zelto::win32 {

class CMainFrm;
class CSystemTray;
class GuiTasks;
class HandOverWindow;
class WindowsNotices;

// The Win32 skin of the desktop session: sockets, the hidden frame that receives the tray menu's commands,
// the tray icon, the splash, the dialogs and the message loop. The objects it creates at start-up live until
// the process ends.
class CClientApp : private DesktopShell {
public:
    // The settings file and the platform's adapters, assembled by the program's main.
    CClientApp(SettingsFile& settings, PlatformPorts ports);
    ~CClientApp() override;
    CClientApp(const CClientApp&) = delete;
    CClientApp& operator=(const CClientApp&) = delete;

    // Sockets, the hidden frame, then the session's start-up. FALSE ends the program at once.
    BOOL InitInstance();
    // The message loop, until the frame closes; then the process ends with its exit code.
    [[noreturn]] void Run();
    // Brings the Properties dialog up: to the front when open, else opens it. For a second start of the
    // program on the same settings file, which hands over to this one.
    void ShowProperties();

    CSystemTray* m_pTrayIcon = nullptr;
    HICON m_hTrayIcon = nullptr;

private:
    bool OnCommand(UINT id);

    bool ShowTray(const std::string& tooltip) override;
    void HideTray() override;
    void ShowSplash(std::chrono::milliseconds time) override;
    void RunProperties(DialogContext& context) override;
    void RaiseProperties() override;
    void OpenUrl(const std::string& url) override;
    void CloseNotices() override;
    [[noreturn]] void EndProcess(int code) override;
    void PostToGui(std::function<void()> task) override;

    SettingsFile& m_settings;
    PlatformPorts m_ports;
    std::unique_ptr<WindowsSockets> m_pSockets;
    std::unique_ptr<CMainFrm> m_pMainWnd;
    std::unique_ptr<HandOverWindow> m_pHandOver;
    std::unique_ptr<CSystemTray> m_pTray;
    std::unique_ptr<WindowsNotices> m_pNotices;
    std::unique_ptr<GuiTasks> m_pGuiTasks;
    DesktopCommands m_commands;
    std::unique_ptr<DesktopSession> m_pSession;
};

} // namespace zelto::win32
