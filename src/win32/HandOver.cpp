#include "win32/HandOver.h"

#include "desktop/HandOverName.h"
#include "desktop/HandOverRetry.h"
#include "platform/windows/WideText.h"

#include <utility>

namespace zelto::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"ZeltoPremiumHandOver";
// Posted to itself, so that Properties' own message loop runs after the request was answered.
constexpr UINT kShowProperties = WM_APP + 1;

UINT RequestMessage() {
    static const UINT message = RegisterWindowMessageW(L"ZeltoPremiumShowProperties");
    return message;
}

} // namespace

HandOverWindow::~HandOverWindow() {
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}

BOOL HandOverWindow::Create(const std::filesystem::path& settings, std::function<void()> showProperties) {
    m_showProperties = std::move(showProperties);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &HandOverWindow::StaticWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    m_hWnd = CreateWindowExW(0, kWindowClass, Widen(HandOverName(settings)).c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE,
                             nullptr, instance, this);
    return m_hWnd != nullptr;
}

LRESULT CALLBACK HandOverWindow::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HandOverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == RequestMessage()) {
        PostMessageW(window, kShowProperties, 0, 0);
        return TRUE;
    }
    if (message == kShowProperties && self && self->m_showProperties) {
        self->m_showProperties();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool HandOverToRunningClient(const std::filesystem::path& settings) {
    const std::wstring title = Widen(HandOverName(settings));
    HWND running = nullptr;
    if (!ReachRunningClient([&] {
            running = FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, title.c_str());
            return running != nullptr;
        }))
        return false;
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    // Its Properties may come to the front: the user started this program just now.
    AllowSetForegroundWindow(process);
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(running, RequestMessage(), 0, 0, SMTO_ABORTIFHUNG,
                               static_cast<UINT>(kHandOverPatience.count()), &answer) != 0 &&
           answer == TRUE;
}

} // namespace zelto::win32
