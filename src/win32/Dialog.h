#pragma once

#include <windows.h>

namespace zelto::win32 {

// A dialog built on a template of the program's resources, run modally, or modelessly where tests and
// screenshots need to look at it while it is open. Messages reach the virtual handlers below.
class CDialog {
public:
    explicit CDialog(UINT templateId);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until it ends; its result (IDOK, IDCANCEL), or -1 when it could not be created.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog without a loop of its own; the caller's loop serves it.
    HWND Create(HWND owner = nullptr);

    HWND GetSafeHwnd() const { return m_hWnd; }
    // A modeless dialog's end: whether EndDialog ran, and its result.
    bool Ended() const { return m_bEnded; }
    INT_PTR Result() const { return m_nResult; }

protected:
    // After the controls exist; TRUE lets the system put the focus on the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // A command from a control or a menu; false passes it on to the default handling.
    virtual bool OnCommand(int id, int notifyCode);
    // Any other message; false for default handling. result is the dialog procedure's answer.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    void EndDialog(INT_PTR result);

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nTemplateId;
    bool m_bModal = false;
    bool m_bEnded = false;
    INT_PTR m_nResult = 0;
};

} // namespace zelto::win32
