#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>

namespace zelto::win32 {

// A second start of the desktop program on the same settings file brings up the running program's
// Properties instead of a second copy. The running program keeps a hidden message-only window whose title
// names its settings file; the second start finds it and sends it the program's own registered message.
class HandOverWindow {
public:
    HandOverWindow() = default;
    ~HandOverWindow();
    HandOverWindow(const HandOverWindow&) = delete;
    HandOverWindow& operator=(const HandOverWindow&) = delete;

    // Takes requests for settings; showProperties runs for each, from the message loop, after the request
    // has been answered. FALSE when the window could not be made.
    BOOL Create(const std::filesystem::path& settings, std::function<void()> showProperties);

private:
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    std::function<void()> m_showProperties;
};

// Asks the program running on settings to show its Properties; true once it has answered.
bool HandOverToRunningClient(const std::filesystem::path& settings);

} // namespace zelto::win32
