#pragma once

#include "desktop/PropertiesModel.h"
#include "win32/Dialog.h"
#include "win32/MessageBox.h"

namespace zelto::win32 {

// The Properties dialog's Win32 skin, template 102, over the one model: the controls, the system menu's
// About item and the minimised icon. Quit (Esc, the close button) ends the program.
class CPropertiesDlg : public CDialog, private PropertiesView {
public:
    explicit CPropertiesDlg(DialogContext& context, MessageFn showMessage = &ShowWarningMessage);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void OnIgnoreIpList();
    void OnAbout();
    void OnPaintMinimized();
    void PullFields();

    void ShowTexts(const PropertiesFields& fields) override;
    void ShowMessage(const std::string& text) override;
    void SetBusy(bool busy) override;
    void CloseDialog() override;

    DialogContext& m_context;
    PropertiesModel m_model;
    MessageFn m_showMessage;
    HICON m_hIcon;
    bool m_bBusy = false;    // a fresh IP update runs on the worker
    bool m_bPushing = false; // set while the texts are pushed, so the boxes' changes are not pulled back
};

} // namespace zelto::win32
