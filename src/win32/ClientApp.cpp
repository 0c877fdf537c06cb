#include "win32/ClientApp.h"

#include "ResourceIds.h"
#include "platform/SystemEvents.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsSockets.h"
#include "settings/SettingsFile.h"
#include "win32/ControlText.h"
#include "win32/GuiTasks.h"
#include "win32/HandOver.h"
#include "win32/MainFrm.h"
#include "win32/MessageBox.h"
#include "win32/PropertiesDlg.h"
#include "win32/SplashWnd.h"
#include "win32/SystemTray.h"
#include "win32/WindowsNotices.h"

#include <commctrl.h>
#include <shellapi.h>

namespace zelto::win32 {

namespace {

constexpr UINT kTrayCallbackMessage = WM_USER + 10;

} // namespace

CClientApp::CClientApp(SettingsFile& settings, PlatformPorts ports) : m_settings(settings), m_ports(ports) {}

CClientApp::~CClientApp() = default;

BOOL CClientApp::InitInstance() {
    m_pSockets = std::make_unique<WindowsSockets>();
    if (!m_pSockets->Started()) {
        ShowWarningMessage(nullptr, Narrow(LoadResourceString(IDS_SOCKETS_INIT_FAILED)));
        return FALSE;
    }
    // The dialogs' IP address controls, in the system's visual style.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    m_pMainWnd = std::make_unique<CMainFrm>();
    SystemEvents* events = m_ports.events;
    const auto onResume = [events] {
        if (events)
            events->Announce(SystemEvent::Resumed);
    };
    if (!m_pMainWnd->LoadFrame([this](UINT id) { return OnCommand(id); }, onResume))
        return FALSE;
    m_pTray = std::make_unique<CSystemTray>();
    // A second start on the same settings file finds it from now on, the first-run dialog included.
    m_pHandOver = std::make_unique<HandOverWindow>();
    m_pHandOver->Create(m_settings.Path(), [this] { ShowProperties(); });
    m_pTrayIcon = m_pTray.get();
    m_pNotices = std::make_unique<WindowsNotices>(*m_pTray);
    m_pGuiTasks = std::make_unique<GuiTasks>();
    m_pSession = std::make_unique<DesktopSession>(m_settings, m_ports, *m_pNotices, static_cast<DesktopShell&>(*this));
    m_commands.Attach(*m_pSession);
    m_pSession->Start();
    return TRUE;
}

void CClientApp::Run() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    ExitProcess(got == 0 ? static_cast<UINT>(message.wParam) : 1);
}

// A command that comes while start-up still makes the session runs once it exists.
bool CClientApp::OnCommand(UINT id) {
    switch (id) {
    case ID_WEB_INTERFACE:
        m_commands.Run(TrayCommand::WebInterface);
        return true;
    case ID_HOMEPAGE:
        m_commands.Run(TrayCommand::Homepage);
        return true;
    case ID_PROPERTIES:
        m_commands.Run(TrayCommand::Properties);
        return true;
    case ID_TRAY_EXIT:
        m_commands.Run(TrayCommand::Exit);
        return true;
    default:
        return false;
    }
}

// The icon comes when a notification area does, so the user can always reach it.
bool CClientApp::ShowTray(const std::string& tooltip) {
    m_hTrayIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY));
    m_pTray->Create(nullptr, kTrayCallbackMessage, tooltip, m_hTrayIcon, IDR_TRAYMENU, m_pMainWnd->GetSafeHwnd());
    return true;
}

void CClientApp::HideTray() {
    m_pTray->HideIcon();
}

void CClientApp::ShowSplash(std::chrono::milliseconds time) {
    CSplashWnd::Show(IDB_SPLASH, static_cast<UINT>(time.count()), m_pMainWnd->GetSafeHwnd());
}

void CClientApp::RunProperties(DialogContext& context) {
    CPropertiesDlg dialog(context);
    dialog.DoModal(m_pMainWnd->GetSafeHwnd());
}

void CClientApp::ShowProperties() {
    m_pSession->ShowProperties();
}

void CClientApp::RaiseProperties() {
    // The frame owns the dialogs: its most recently active one is the Properties dialog or a box over it.
    SetForegroundWindow(GetLastActivePopup(m_pMainWnd->GetSafeHwnd()));
}

void CClientApp::OpenUrl(const std::string& url) {
    // Nothing to report when no program opens the page: the user sees that nothing opened.
    ShellExecuteW(nullptr, nullptr, Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CClientApp::CloseNotices() {
    m_pNotices->CloseAll();
}

void CClientApp::PostToGui(std::function<void()> task) {
    m_pGuiTasks->Post(std::move(task));
}

// The update cycle has stopped by now; the windows go with the process.
void CClientApp::EndProcess(int code) {
    ExitProcess(static_cast<UINT>(code));
}

} // namespace zelto::win32
