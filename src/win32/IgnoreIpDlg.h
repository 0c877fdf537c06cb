#pragma once

#include "settings/SettingsFile.h"

#include "desktop/IgnoreListModel.h"
#include "win32/Dialog.h"
#include "win32/MessageBox.h"

namespace zelto::win32 {

// The Ignore IP List dialog's Win32 skin, template 138, over the one model. "Add IP" and "Remove IP" write
// the settings file at once; OK and Cancel only close it.
class CIgnoreIpDlg : public CDialog, private IgnoreListView {
public:
    CIgnoreIpDlg(SettingsFile& settings, MessageFn showMessage);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;

private:
    void ShowList(const std::string& text) override;
    void ShowMessage(const std::string& text) override;

    IgnoreListModel m_model;
    MessageFn m_showMessage;
};

} // namespace zelto::win32
