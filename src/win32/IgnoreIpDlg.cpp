#include "win32/IgnoreIpDlg.h"

#include "ResourceIds.h"
#include "win32/ControlText.h"
#include "win32/IpAddressControl.h"

#include <utility>

namespace zelto::win32 {

CIgnoreIpDlg::CIgnoreIpDlg(SettingsFile& settings, MessageFn showMessage)
    : CDialog(IDD_IGNOREIP), m_model(settings, *this), m_showMessage(std::move(showMessage)) {}

BOOL CIgnoreIpDlg::OnInitDialog() {
    ShowList(m_model.ListText()); // the address control starts blank
    return TRUE;
}

bool CIgnoreIpDlg::OnCommand(int id, int notifyCode) {
    if (notifyCode == BN_CLICKED && id == IDC_ADD_IP) {
        m_model.OnAddIp(GetAddressFields(GetDlgItem(m_hWnd, IDC_IPADDRESS)));
        return true;
    }
    if (notifyCode == BN_CLICKED && id == IDC_REMOVE_IP) {
        m_model.OnRemoveIp(GetAddressFields(GetDlgItem(m_hWnd, IDC_IPADDRESS)));
        return true;
    }
    return CDialog::OnCommand(id, notifyCode);
}

void CIgnoreIpDlg::ShowList(const std::string& text) {
    SetItemText(m_hWnd, IDC_IGNORE_LIST, text);
}

void CIgnoreIpDlg::ShowMessage(const std::string& text) {
    m_showMessage(m_hWnd, text);
}

} // namespace zelto::win32
