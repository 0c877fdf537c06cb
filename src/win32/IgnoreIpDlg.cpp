#include "win32/IgnoreIpDlg.h"

#include "ResourceIds.h"
#include "config/IgnoreList.h"
#include "win32/ControlText.h"
#include "win32/IpAddressControl.h"
#include "win32/MessageBox.h"

#include <utility>

namespace zelto {

CIgnoreIpDlg::CIgnoreIpDlg(SettingsFile& settings, MessageFn showMessage)
    : CDialog(IDD_IGNOREIP), m_settings(settings), m_showMessage(std::move(showMessage)),
      m_strIgnoreList(BuildIgnoreListText(settings)) {}

BOOL CIgnoreIpDlg::OnInitDialog() {
    ShowList(); // the address control starts blank
    return TRUE;
}

bool CIgnoreIpDlg::OnCommand(int id, int notifyCode) {
    if (notifyCode == BN_CLICKED && id == IDC_ADD_IP) {
        OnAddIp();
        return true;
    }
    if (notifyCode == BN_CLICKED && id == IDC_REMOVE_IP) {
        OnRemoveIp();
        return true;
    }
    return CDialog::OnCommand(id, notifyCode);
}

void CIgnoreIpDlg::OnAddIp() {
    const bool written = AddIgnoredAddress(m_settings, GetAddressFields(GetDlgItem(m_hWnd, IDC_IPADDRESS)));
    m_strIgnoreList = BuildIgnoreListText(m_settings);
    ShowList();
    if (!written)
        m_showMessage(m_hWnd, WriteFailedText(m_settings));
}

void CIgnoreIpDlg::OnRemoveIp() {
    const IgnoreRemoval removal = RemoveIgnoredAddress(m_settings, GetAddressFields(GetDlgItem(m_hWnd, IDC_IPADDRESS)));
    m_strIgnoreList = BuildIgnoreListText(m_settings);
    ShowList();
    if (removal == IgnoreRemoval::WriteFailed)
        m_showMessage(m_hWnd, WriteFailedText(m_settings));
}

void CIgnoreIpDlg::ShowList() {
    SetItemText(m_hWnd, IDC_IGNORE_LIST, m_strIgnoreList);
}

} // namespace zelto
