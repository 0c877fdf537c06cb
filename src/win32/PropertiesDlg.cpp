#include "win32/PropertiesDlg.h"

#include "ResourceIds.h"
#include "config/AddressMethod.h"
#include "config/FreshIpUpdate.h"
#include "platform/SettingsText.h"
#include "platform/SoundPlayer.h"
#include "settings/SettingsFile.h"
#include "update/ClientSettings.h"
#include "win32/AboutDlg.h"
#include "win32/ControlText.h"
#include "win32/IgnoreIpDlg.h"
#include "win32/IpAddressControl.h"
#include "win32/MessageBox.h"

#include <commctrl.h>

namespace zelto {

namespace {

const char* const kPrompt = "Please enter domain(e.g. zelto or microsoft), top level(e.g. com or net) and "
                            "password(6-8 characters) below. ";

constexpr int MethodButton(AddressMethod method) {
    switch (method) {
    case AddressMethod::Server:
        return IDC_METHOD_SERVER;
    case AddressMethod::Client:
        return IDC_METHOD_CLIENT;
    case AddressMethod::Fixed:
        return IDC_METHOD_FIXED;
    case AddressMethod::Both:
        break;
    }
    return IDC_METHOD_BOTH;
}

} // namespace

CPropertiesDlg::CPropertiesDlg(DialogContext& context)
    : CDialog(IDD_PROPERTIES), m_context(context),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {
    // The prompt is shown only here: later changes show the list or a message.
    m_strStatus = ClientSettingsView(m_context.settings).DomainCount() != 0
                      ? ShownText(BuildDomainListText(m_context.settings))
                      : std::string(kPrompt);
    SetMethodFlags(MethodButton(LoadDialogMethod(m_context.settings)));
}

BOOL CPropertiesDlg::OnInitDialog() {
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SendDlgItemMessageW(m_hWnd, IDC_PASSWORD, EM_LIMITTEXT, static_cast<WPARAM>(kPasswordMaxLength), 0);
    PushFields();

    const std::wstring about = LoadResourceString(IDS_ABOUTBOX);
    if (HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE); systemMenu && !about.empty()) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }

    CheckDlgButton(m_hWnd, IDC_METHOD_BOTH, m_bBoth ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_METHOD_CLIENT, m_bClient ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_METHOD_SERVER, m_bServer ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_METHOD_FIXED, m_bFixed ? BST_CHECKED : BST_UNCHECKED);

    SetAddressFields(GetDlgItem(m_hWnd, IDC_IPADDRESS), LoadFixedAddress(m_context.settings));
    return TRUE; // the focus starts in the "Domain" box, the first tab stop
}

bool CPropertiesDlg::OnCommand(int id, int notifyCode) {
    if (notifyCode == EN_CHANGE && (id == IDC_DOMAIN || id == IDC_TOPLEVEL || id == IDC_PASSWORD)) {
        PullFields();
        return true;
    }
    if (notifyCode != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_ADD_DOMAIN:
        OnAddDomain();
        return true;
    case IDC_REMOVE_DOMAIN:
        OnRemoveDomain();
        return true;
    case IDC_CLEAR_ALL_DOMAINS:
        OnClearAllDomains();
        return true;
    case IDC_FORCE_IP_UPDATE:
        OnForceIpUpdate();
        return true;
    case IDC_IGNORE_IP_LIST:
        OnIgnoreIpList();
        return true;
    case IDC_METHOD_BOTH:
    case IDC_METHOD_CLIENT:
    case IDC_METHOD_SERVER:
    case IDC_METHOD_FIXED:
        SetMethodFlags(id);
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
    m_strDomain = GetItemText(m_hWnd, IDC_DOMAIN);
    m_strTopLevel = GetItemText(m_hWnd, IDC_TOPLEVEL);
    m_strPassword = GetItemText(m_hWnd, IDC_PASSWORD);
}

void CPropertiesDlg::PushFields() {
    // Only changed texts are set, so that pushing never moves the caret of a box the user is typing in.
    const auto push = [this](int id, const std::string& text) {
        if (GetItemText(m_hWnd, id) != text)
            SetItemText(m_hWnd, id, text);
    };
    m_bPushing = true;
    push(IDC_PASSWORD, m_strPassword);
    push(IDC_STATUS, m_strStatus);
    push(IDC_TOPLEVEL, m_strTopLevel);
    push(IDC_DOMAIN, m_strDomain);
    m_bPushing = false;
}

void CPropertiesDlg::SetMethodFlags(int checkedId) {
    m_bServer = checkedId == IDC_METHOD_SERVER ? 1 : 0;
    m_bClient = checkedId == IDC_METHOD_CLIENT ? 1 : 0;
    m_bFixed = checkedId == IDC_METHOD_FIXED ? 1 : 0;
    m_bBoth = m_bServer + m_bClient + m_bFixed == 0 ? 1 : 0;
}

DomainInput CPropertiesDlg::Input() const {
    return DomainInput{m_strDomain, m_strTopLevel, m_strPassword};
}

void CPropertiesDlg::OnAddDomain() {
    PullFields();
    ShowOutcome(AddTypedDomain(m_context.settings, Input()));
}

void CPropertiesDlg::OnRemoveDomain() {
    PullFields();
    ShowOutcome(RemoveTypedDomain(m_context.settings, Input()));
}

void CPropertiesDlg::OnClearAllDomains() {
    ShowOutcome(ClearDomains(m_context.settings));
}

void CPropertiesDlg::ShowOutcome(const DomainOutcome& outcome) {
    m_strStatus = ShownText(outcome.status);
    if (outcome.clearInputs) {
        m_strDomain.clear();
        m_strTopLevel.clear();
        m_strPassword.clear();
    }
    PushFields();
    if (outcome.writeFailed)
        m_context.showMessage(m_hWnd, WriteFailedText(m_context.settings));
}

void CPropertiesDlg::OnForceIpUpdate() {
    // The requests run on this thread; the cursor says the dialog is busy meanwhile.
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const FreshIpUpdateOutcome outcome = RunFreshIpUpdate(m_context.settings, m_context.http, m_context.sound);
    SetCursor(previous);
    m_context.showMessage(m_hWnd, outcome.message);
}

void CPropertiesDlg::OnIgnoreIpList() {
    CIgnoreIpDlg dialog(m_context.settings, m_context.showMessage);
    dialog.DoModal(m_hWnd);
}

void CPropertiesDlg::OnAbout() {
    CAboutDlg dialog;
    dialog.DoModal(m_hWnd);
}

void CPropertiesDlg::OnOK() {
    AddressMethod method = AddressMethod::Both;
    if (m_bServer)
        method = AddressMethod::Server;
    else if (m_bClient)
        method = AddressMethod::Client;
    else if (m_bFixed)
        method = AddressMethod::Fixed;
    // A method the user chose and then lost would be found out only when updates go wrong: the dialog
    // stays open, so that OK can be tried again.
    if (!SaveAddressMethod(m_context.settings, method, GetAddressFields(GetDlgItem(m_hWnd, IDC_IPADDRESS)))) {
        m_context.showMessage(m_hWnd, WriteFailedText(m_context.settings));
        return;
    }
    EndDialog(IDOK);
}

void CPropertiesDlg::OnCancel() {
    m_context.hideTrayIcon();
    m_context.sound.PlaySoundCue("OUCH");
    m_context.exitProcess(0);
    // Reached only where exitProcess returns, as in tests.
    EndDialog(IDCANCEL);
}

} // namespace zelto
