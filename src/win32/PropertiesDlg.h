#pragma once

#include "config/DomainList.h"
#include "win32/Dialog.h"
#include "win32/DialogContext.h"

#include <string>

namespace zelto {

// The Properties dialog, template 102. The domain buttons write the settings file at once, the address
// method and fixed address wait for OK, and Quit (Esc, the close button) ends the program.
class CPropertiesDlg : public CDialog {
public:
    explicit CPropertiesDlg(DialogContext& context);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void OnAddDomain();
    void OnRemoveDomain();
    void OnClearAllDomains();
    void OnForceIpUpdate();
    void OnIgnoreIpList();
    void OnAbout();
    void OnPaintMinimized();

    void PullFields();
    void PushFields();
    void SetMethodFlags(int checkedId);
    void ShowOutcome(const DomainOutcome& outcome);
    DomainInput Input() const;

    DialogContext& m_context;
    std::string m_strPassword;
    std::string m_strStatus;
    std::string m_strTopLevel;
    std::string m_strDomain;
    int m_bBoth = 0;
    int m_bClient = 0;
    int m_bServer = 0;
    int m_bFixed = 0;
    HICON m_hIcon;
    bool m_bPushing = false; // set while the fields are pushed, so the boxes' changes are not pulled back
};

} // namespace zelto
