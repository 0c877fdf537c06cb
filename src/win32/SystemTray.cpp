#include "win32/SystemTray.h"

#include "platform/windows/WideText.h"

#include <algorithm>

namespace zelto::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"ZeltoSystemTray";

constexpr std::size_t kTipUnits = std::size(NOTIFYICONDATAW{}.szTip) - 1;

std::wstring TipText(const std::string& text) {
    std::wstring tip = Widen(TrayState::Tooltip(text));
    tip.resize(std::min(tip.size(), kTipUnits)); // a character may widen to two units
    return tip;
}

void CopyTooltip(NOTIFYICONDATAW& nid, const std::string& text) {
    const std::wstring tip = TipText(text);
    std::fill(std::begin(nid.szTip), std::end(nid.szTip), L'\0');
    std::copy(tip.begin(), tip.end(), nid.szTip);
}

} // namespace

CSystemTray::~CSystemTray() {
    m_state.Hide([this] {
        m_nid.uFlags = 0;
        Shell_NotifyIconW(NIM_DELETE, &m_nid);
    });
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}

BOOL CSystemTray::Create(HWND parent, UINT callbackMessage, const std::string& tooltip, HICON icon, UINT id,
                         HWND commandTarget) {
    if (LOBYTE(LOWORD(GetVersion())) < 4)
        return FALSE;

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &CSystemTray::StaticWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    // A top-level window, so that it also hears the shell's TaskbarCreated broadcast.
    m_hWnd = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, this);
    if (!m_hWnd)
        return FALSE;
    m_hTarget = commandTarget;
    m_nTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

    // No icon yet, so no other thread touches the record.
    m_nid.cbSize = NOTIFYICONDATAW_V2_SIZE; // the 128-character tooltip
    m_nid.hWnd = parent ? parent : m_hWnd;
    m_nid.uID = id;
    m_nid.hIcon = icon;
    m_nid.uCallbackMessage = callbackMessage;
    m_bCreated = true;
    return AddIcon(tooltip);
}

// Under the state's lock, as every use of the record once the icon may be there.
bool CSystemTray::AddIcon(const std::string& tooltip) {
    return m_state.Add(tooltip, [this](const std::string& text) {
        CopyTooltip(m_nid, text);
        m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        return Shell_NotifyIconW(NIM_ADD, &m_nid) != FALSE;
    });
}

BOOL CSystemTray::SetTooltipText(const std::string& text) {
    // Kept even while there is no icon, so that an icon added again shows the latest text.
    return m_state.SetTooltip(text, [this](const std::string& tip) {
        CopyTooltip(m_nid, tip);
        m_nid.uFlags = NIF_TIP;
        return Shell_NotifyIconW(NIM_MODIFY, &m_nid) != FALSE;
    });
}

std::string CSystemTray::GetTooltipText() {
    return Narrow(TipText(m_state.TooltipText()));
}

void CSystemTray::HideIcon() {
    m_state.Hide([this] {
        m_nid.uFlags = NIF_ICON;
        Shell_NotifyIconW(NIM_DELETE, &m_nid);
    });
}

LRESULT CALLBACK CSystemTray::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* tray = reinterpret_cast<CSystemTray*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!tray || !tray->m_hWnd)
        return DefWindowProcW(window, message, wParam, lParam);
    return tray->WindowProc(message, wParam, lParam);
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_nid.uCallbackMessage)
        return OnTrayNotification(wParam, lParam);
    if (message == m_nTaskbarCreated && m_nTaskbarCreated != 0) {
        // A new notification area knows no icons: ours is added again unless the program is leaving.
        if (m_bCreated)
            AddIcon(std::string());
        return 0;
    }
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

UINT CSystemTray::DefaultCommand(HMENU popup) const {
    return m_bDefaultByPos ? GetMenuItemID(popup, static_cast<int>(m_nDefaultItem)) : m_nDefaultItem;
}

LRESULT CSystemTray::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
    if (wParam != m_nid.uID)
        return 0;
    const UINT mouse = LOWORD(lParam);
    const TrayState::Reaction reaction =
        TrayState::ReactionTo(mouse == WM_RBUTTONUP       ? TrayState::Click::RightButton
                              : mouse == WM_LBUTTONDBLCLK ? TrayState::Click::DoubleClick
                                                          : TrayState::Click::Other);
    if (reaction == TrayState::Reaction::Nothing)
        return 1;

    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nid.uID));
    if (!menu)
        return 0;
    HMENU popup = GetSubMenu(menu, 0);
    if (!popup) {
        DestroyMenu(menu);
        return 0;
    }
    if (reaction == TrayState::Reaction::OpenMenu) {
        SetMenuDefaultItem(popup, m_nDefaultItem, m_bDefaultByPos);
        POINT cursor{};
        GetCursorPos(&cursor);
        // The menu closes when the user clicks elsewhere only while its owner is in the foreground.
        SetForegroundWindow(m_hTarget);
        TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hTarget, nullptr);
        PostMessageW(m_hTarget, WM_NULL, 0, 0);
    } else {
        SetForegroundWindow(m_hTarget);
        SendMessageW(m_hTarget, WM_COMMAND, DefaultCommand(popup), 0);
    }
    DestroyMenu(menu);
    return 1;
}

} // namespace zelto::win32
