#include "win32/Dialog.h"

namespace zelto::win32 {

CDialog::CDialog(UINT templateId) : m_nTemplateId(templateId) {}

CDialog::~CDialog() {
    if (m_hWnd && !m_bModal)
        DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal(HWND owner) {
    m_bModal = true;
    m_bEnded = false;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId), owner,
                                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

HWND CDialog::Create(HWND owner) {
    m_bModal = false;
    m_bEnded = false;
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId), owner, &CDialog::DialogProc,
                       reinterpret_cast<LPARAM>(this));
    if (m_hWnd)
        ShowWindow(m_hWnd, SW_SHOW);
    return m_hWnd;
}

void CDialog::EndDialog(INT_PTR result) {
    m_bEnded = true;
    m_nResult = result;
    if (m_bModal) {
        ::EndDialog(m_hWnd, result);
        return;
    }
    HWND window = m_hWnd;
    m_hWnd = nullptr;
    DestroyWindow(window);
}

bool CDialog::OnCommand(int id, int notifyCode) {
    if (notifyCode != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog || dialog->m_hWnd != window)
        return FALSE;
    if (message == WM_COMMAND)
        return dialog->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    INT_PTR result = FALSE;
    if (!dialog->OnMessage(message, wParam, lParam, result))
        return FALSE;
    // These few answer through the procedure's own result; every other message through DWLP_MSGRESULT.
    if (message == WM_QUERYDRAGICON || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC))
        return result;
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace zelto::win32
