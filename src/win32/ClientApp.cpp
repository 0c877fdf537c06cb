#include "win32/ClientApp.h"

#include "ResourceIds.h"
#include "platform/SoundPlayer.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsSockets.h"
#include "settings/SettingsFile.h"
#include "update/ClientSettings.h"
#include "update/EnginePorts.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateCycle.h"
#include "win32/ControlText.h"
#include "win32/HandOver.h"
#include "win32/MainFrm.h"
#include "win32/MessageBox.h"
#include "win32/PropertiesDlg.h"
#include "win32/SplashWnd.h"
#include "win32/SystemTray.h"
#include "win32/WindowsNotices.h"

#include <commctrl.h>
#include <shellapi.h>

namespace zelto {

namespace {

constexpr UINT kTrayCallbackMessage = WM_USER + 10;
constexpr UINT kSplashTime = 2000;
// How long the way out waits for the update thread to leave a request.
constexpr DWORD kStopGrace = 500;
const char* const kTooltip = "Zelto Premium Online!";

// A thread of the system's own rather than a joining one: the way out waits for it only a moment.
DWORD WINAPI UpdateWorker(void* param) {
    static_cast<UpdateCycle*>(param)->RunUpdateCycle();
    return 0;
}

} // namespace

CClientApp::CClientApp(SettingsFile& settings, PlatformPorts ports)
    : m_settings(settings), m_ports(ports), m_dialogContext{settings,
                                                            ports.http,
                                                            ports.sound,
                                                            [this] { m_pTrayIcon->HideIcon(); },
                                                            [this](int code) { EndProcess(code); },
                                                            &ShowWarningMessage} {}

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
    if (!m_pMainWnd->LoadFrame([this](UINT id) { return OnCommand(id); }))
        return FALSE;

    // A second start on the same settings file finds it from now on, the first-run dialog included.
    m_pHandOver = std::make_unique<HandOverWindow>();
    m_pHandOver->Create(m_settings.Path(), [this] { ShowProperties(); });

    m_hTrayIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY));
    m_pTray = std::make_unique<CSystemTray>();
    // Start-up goes on without an icon; it appears when a notification area does.
    m_pTray->Create(nullptr, kTrayCallbackMessage, kTooltip, m_hTrayIcon, IDR_TRAYMENU, m_pMainWnd->GetSafeHwnd());
    m_pTrayIcon = m_pTray.get();

    CSplashWnd::Show(IDB_SPLASH, kSplashTime, m_pMainWnd->GetSafeHwnd());

    m_pNotices = std::make_unique<WindowsNotices>(*m_pTray);
    m_pEnginePorts = std::make_unique<EnginePorts>(EnginePorts{m_settings, m_ports, *m_pNotices});
    m_pUpdateCycle = std::make_unique<UpdateCycle>(*m_pEnginePorts);
    m_hWorker = CreateThread(nullptr, 0, &UpdateWorker, m_pUpdateCycle.get(), 0, nullptr);
    if (!m_hWorker)
        ShowWarningMessage(nullptr, "The update thread could not be started: no domain will be updated.");

    if (ClientSettingsView(m_settings).DomainCount() == 0)
        OnProperties();
    return TRUE;
}

void CClientApp::Run() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    EndProcess(got == 0 ? static_cast<int>(message.wParam) : 1);
}

bool CClientApp::OnCommand(UINT id) {
    switch (id) {
    case ID_WEB_INTERFACE:
        OnWebInterface();
        return true;
    case ID_HOMEPAGE:
        OnHomepage();
        return true;
    case ID_PROPERTIES:
        OnProperties();
        return true;
    case ID_TRAY_EXIT:
        OnExit();
        return true;
    default:
        return false;
    }
}

void CClientApp::OpenPage(const std::string& url) {
    // Nothing to report when no program opens the page: the user sees that nothing opened.
    ShellExecuteW(nullptr, nullptr, Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CClientApp::OnWebInterface() {
    OpenPage(ServiceEndpoints(m_settings).WebInterfacePage());
}

void CClientApp::OnHomepage() {
    OpenPage(ServiceEndpoints(m_settings).HomePage());
}

void CClientApp::OnProperties() {
    ++m_nPropertiesOpen;
    CPropertiesDlg dialog(m_dialogContext);
    dialog.DoModal(m_pMainWnd->GetSafeHwnd());
    --m_nPropertiesOpen;
}

void CClientApp::ShowProperties() {
    if (m_nPropertiesOpen == 0) {
        OnProperties();
        return;
    }
    // The frame owns the dialogs: its most recently active one is the Properties dialog or a box over it.
    SetForegroundWindow(GetLastActivePopup(m_pMainWnd->GetSafeHwnd()));
}

void CClientApp::OnExit() {
    m_pTrayIcon->HideIcon();
    if (m_pUpdateCycle)
        m_pUpdateCycle->RequestStop(); // meanwhile the sound plays
    m_ports.sound.PlaySoundCue("OUCH");
    SendMessageW(m_pMainWnd->GetSafeHwnd(), WM_CLOSE, 0, 0);
}

void CClientApp::EndProcess(int code) {
    if (m_pUpdateCycle)
        m_pUpdateCycle->RequestStop();
    if (m_hWorker)
        WaitForSingleObject(m_hWorker, kStopGrace);
    ExitProcess(static_cast<UINT>(code));
}

} // namespace zelto
