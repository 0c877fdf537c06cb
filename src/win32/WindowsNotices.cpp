#include "win32/WindowsNotices.h"

#include "desktop/DesktopTexts.h"
#include "platform/SettingsText.h"
#include "platform/windows/WideText.h"
#include "win32/MessageBox.h"
#include "win32/SystemTray.h"

#include <algorithm>
#include <memory>

namespace zelto::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"ZeltoNotices";
constexpr UINT kShowBox = WM_APP + 1; // lParam: a std::string the window takes over

// The box a ShowWarningMessage call is making on this thread is the first window made after the hook: it
// goes into the open boxes, and the hook goes, so that the box's controls and later windows pass unseen.
thread_local HHOOK t_hook = nullptr;
thread_local HWND* t_box = nullptr;
thread_local std::vector<HWND>* t_openBoxes = nullptr;

LRESULT CALLBACK CatchBox(int code, WPARAM wParam, LPARAM lParam) {
    const HHOOK hook = t_hook;
    if (code == HCBT_CREATEWND && t_hook) {
        *t_box = reinterpret_cast<HWND>(wParam);
        t_openBoxes->push_back(*t_box);
        UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

} // namespace

WindowsNotices::WindowsNotices(CSystemTray& tray) : m_tray(tray) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &WindowsNotices::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    m_hWnd = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WindowsNotices::~WindowsNotices() {
    CloseAll();
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}

void WindowsNotices::ShowMessage(const std::string& text) {
    if (m_bClosed)
        return;
    auto owned = std::make_unique<std::string>(text);
    if (PostMessageW(m_hWnd, kShowBox, 0, reinterpret_cast<LPARAM>(owned.get())))
        owned.release();
}

LRESULT CALLBACK WindowsNotices::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kShowBox)
        return DefWindowProcW(window, message, wParam, lParam);
    const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
    if (auto* notices = reinterpret_cast<WindowsNotices*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
        notices->ShowBox(*text);
    return 0;
}

// The box's own loop serves this thread meanwhile: the tray, the dialogs and further boxes keep working.
void WindowsNotices::ShowBox(const std::string& text) {
    if (m_bClosed)
        return;
    HWND box = nullptr;
    t_box = &box;
    t_openBoxes = &m_openBoxes;
    t_hook = SetWindowsHookExW(WH_CBT, &CatchBox, nullptr, GetCurrentThreadId());
    ShowWarningMessage(nullptr, text);
    if (t_hook) { // no window was made
        UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }
    std::erase(m_openBoxes, box);
}

bool WindowsNotices::SetTooltipText(const std::string& text) {
    const bool changed = m_tray.SetTooltipText(text) != FALSE;
    if (changed)
        OutputDebugStringW(Widen(ShownText("tooltip: " + text + "\n")).c_str());
    return changed;
}

void WindowsNotices::LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) {
    OutputDebugStringW(Widen(ExchangeLogLine(maskedUrl, outcome, text) + "\n").c_str());
}

void WindowsNotices::CloseAll() {
    m_bClosed = true;
    for (HWND box : m_openBoxes)
        EndDialog(box, IDOK);
    m_openBoxes.clear();
}

} // namespace zelto::win32
