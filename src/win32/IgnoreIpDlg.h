#pragma once

#include "win32/Dialog.h"
#include "win32/DialogContext.h"

namespace zelto {

class SettingsFile;

// The Ignore IP List dialog, template 138. "Add IP" and "Remove IP" write the settings file at once;
// OK and Cancel only close it.
class CIgnoreIpDlg : public CDialog {
public:
    CIgnoreIpDlg(SettingsFile& settings, MessageFn showMessage);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;

private:
    void OnAddIp();
    void OnRemoveIp();
    void ShowList();

    SettingsFile& m_settings;
    MessageFn m_showMessage;
    std::string m_strIgnoreList;
};

} // namespace zelto
