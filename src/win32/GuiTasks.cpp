#include "win32/GuiTasks.h"

#include <memory>
#include <utility>

namespace zelto::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"ZeltoGuiTasks";
constexpr UINT kRunTask = WM_APP + 2; // lParam: a std::function<void()> the window takes over

} // namespace

GuiTasks::GuiTasks() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &GuiTasks::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    m_hWnd = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

GuiTasks::~GuiTasks() {
    if (!m_hWnd)
        return;
    MSG message;
    while (PeekMessageW(&message, m_hWnd, kRunTask, kRunTask, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
    DestroyWindow(m_hWnd);
}

void GuiTasks::Post(std::function<void()> task) {
    auto owned = std::make_unique<std::function<void()>>(std::move(task));
    if (PostMessageW(m_hWnd, kRunTask, 0, reinterpret_cast<LPARAM>(owned.get())))
        owned.release();
}

LRESULT CALLBACK GuiTasks::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunTask)
        return DefWindowProcW(window, message, wParam, lParam);
    const std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
    (*task)();
    return 0;
}

} // namespace zelto::win32
