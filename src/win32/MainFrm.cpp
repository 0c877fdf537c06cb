#include "win32/MainFrm.h"

#include "ResourceIds.h"
#include "win32/MessageBox.h"

#include <utility>

namespace zelto::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"ZeltoPremiumFrame";

} // namespace

CMainFrm::~CMainFrm() {
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}

BOOL CMainFrm::LoadFrame(CommandHandler onCommand, ResumeHandler onResume) {
    m_onCommand = std::move(onCommand);
    m_onResume = std::move(onResume);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &CMainFrm::StaticWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_FRAMEMENU));
    m_hWnd = CreateWindowExW(0, kWindowClass, ApplicationName().c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, instance, this);
    return m_hWnd != nullptr;
}

LRESULT CALLBACK CMainFrm::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* frame = reinterpret_cast<CMainFrm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
        if (frame && frame->m_onCommand && frame->m_onCommand(LOWORD(wParam)))
            return 0;
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC && frame && frame->m_onResume)
            frame->m_onResume();
        return TRUE;
    case WM_DESTROY:
        if (frame)
            frame->m_hWnd = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace zelto::win32
