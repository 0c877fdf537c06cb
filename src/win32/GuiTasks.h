#pragma once

#include <windows.h>

#include <functional>

namespace zelto::win32 {

// Runs tasks on the thread that made it, through a message-only window that every message loop of that
// thread serves, a modal dialog's or a message box's included.
class GuiTasks {
public:
    GuiTasks();
    // Tasks not yet run are dropped.
    ~GuiTasks();
    GuiTasks(const GuiTasks&) = delete;
    GuiTasks& operator=(const GuiTasks&) = delete;

    // From any thread; the task runs soon after on the window's thread.
    void Post(std::function<void()> task);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
};

} // namespace zelto::win32
