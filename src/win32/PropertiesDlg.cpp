#include "win32/PropertiesDlg.h"

#include "ResourceIds.h"
#include "win32/AboutDlg.h"
#include "win32/ControlText.h"
#include "win32/IgnoreIpDlg.h"
#include "win32/IpAddressControl.h"

#include <commctrl.h>

#include <utility>

namespace zelto::win32 {

namespace {

// The radio buttons in the order of the methods' values.
constexpr int kMethodButtons[] = {IDC_METHOD_SERVER, IDC_METHOD_CLIENT, IDC_METHOD_BOTH, IDC_METHOD_FIXED};

} // namespace

CPropertiesDlg::CPropertiesDlg(DialogContext& context, MessageFn showMessage)
    : CDialog(IDD_PROPERTIES), m_context(context), m_model(context, *this), m_showMessage(std::move(showMessage)),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

BOOL CPropertiesDlg::OnInitDialog() {
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SendDlgItemMessageW(m_hWnd, IDC_PASSWORD, EM_LIMITTEXT, static_cast<WPARAM>(kPasswordMaxLength), 0);
    ShowTexts(m_model.Fields());

    const std::wstring about = LoadResourceString(IDS_ABOUTBOX);
    if (HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE); systemMenu && !about.empty()) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
    CheckDlgButton(m_hWnd, kMethodButtons[static_cast<int>(m_model.Fields().method)], BST_CHECKED);
    SetAddressFields(GetDlgItem(m_hWnd, IDC_IPADDRESS), m_model.Fields().fixedAddress);
    return TRUE; // the focus starts in the "Domain" box, the first tab stop
}

bool CPropertiesDlg::OnCommand(int id, int notifyCode) {
    if (notifyCode == EN_CHANGE && (id == IDC_DOMAIN || id == IDC_TOPLEVEL || id == IDC_PASSWORD)) {
        PullFields();
        return true;
    }
    if (notifyCode != BN_CLICKED)
        return false;
    for (int method = 0; method < 4; ++method) {
        if (id == kMethodButtons[method]) {
            m_model.OnMethodChosen(static_cast<AddressMethod>(method));
            return true;
        }
    }
    switch (id) {
    case IDC_ADD_DOMAIN:
        m_model.OnAddDomain();
        return true;
    case IDC_REMOVE_DOMAIN:
        m_model.OnRemoveDomain();
        return true;
    case IDC_CLEAR_ALL_DOMAINS:
        m_model.OnClearAllDomains();
        return true;
    case IDC_FORCE_IP_UPDATE:
        m_model.OnForceIpUpdate();
        return true;
    case IDC_IGNORE_IP_LIST:
        OnIgnoreIpList();
        return true;
    default:
        return CDialog::OnCommand(id, notifyCode);
    }
}

bool CPropertiesDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != IDM_ABOUTBOX)
            return false;
        OnAbout();
        result = 0;
        return true;
    case WM_PAINT:
        if (!IsIconic(m_hWnd))
            return false;
        OnPaintMinimized();
        result = 0;
        return true;
    case WM_SETCURSOR:
        if (!m_bBusy || LOWORD(lParam) != HTCLIENT)
            return false;
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        result = TRUE;
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(m_hIcon);
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_IPADDRESS || header->code != IPN_FIELDCHANGED)
            return false;
        PullFields();
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

void CPropertiesDlg::OnPaintMinimized() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
}

void CPropertiesDlg::PullFields() {
    if (m_bPushing)
        return;
    m_model.OnEdited(
        {GetItemText(m_hWnd, IDC_DOMAIN), GetItemText(m_hWnd, IDC_TOPLEVEL), GetItemText(m_hWnd, IDC_PASSWORD)});
}

void CPropertiesDlg::ShowTexts(const PropertiesFields& fields) {
    const auto push = [this](int id, const std::string& text) {
        if (GetItemText(m_hWnd, id) != text)
            SetItemText(m_hWnd, id, text);
    };
    m_bPushing = true;
    push(IDC_PASSWORD, fields.input.password);
    push(IDC_STATUS, fields.status);
    push(IDC_TOPLEVEL, fields.input.topLevel);
    push(IDC_DOMAIN, fields.input.domain);
    m_bPushing = false;
}

void CPropertiesDlg::ShowMessage(const std::string& text) {
    m_showMessage(m_hWnd, text);
}

// The pointer that says "working, but you may go on", over the whole dialog while it is busy.
void CPropertiesDlg::SetBusy(bool busy) {
    m_bBusy = busy;
    HWND force = GetDlgItem(m_hWnd, IDC_FORCE_IP_UPDATE);
    // The keyboard goes on at the default button, as for a control that is not there.
    if (busy && GetFocus() == force)
        SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hWnd, IDOK)), TRUE);
    EnableWindow(force, busy ? FALSE : TRUE);
    SetCursor(LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
}

void CPropertiesDlg::CloseDialog() {
    EndDialog(IDOK);
}

void CPropertiesDlg::OnIgnoreIpList() {
    CIgnoreIpDlg dialog(m_context.settings, m_showMessage);
    dialog.DoModal(m_hWnd);
}

void CPropertiesDlg::OnAbout() {
    CAboutDlg dialog;
    dialog.DoModal(m_hWnd);
}

void CPropertiesDlg::OnOK() {
    m_model.OnOK(GetAddressFields(GetDlgItem(m_hWnd, IDC_IPADDRESS)));
}

void CPropertiesDlg::OnCancel() {
    m_model.OnCancel();
    // Reached only where the way out returns, as in tests.
    EndDialog(IDCANCEL);
}

} // namespace zelto::win32
