#pragma once

#include <windows.h>

#include <functional>

namespace zelto::win32 {

// The hidden main frame: never shown, it owns the tray menu and receives its commands, is the default
// owner of the program's dialogs, and closing it ends the message loop.
class CMainFrm {
public:
    using CommandHandler = std::function<bool(UINT id)>;
    using ResumeHandler = std::function<void()>;

    CMainFrm() = default;
    ~CMainFrm();
    CMainFrm(const CMainFrm&) = delete;
    CMainFrm& operator=(const CMainFrm&) = delete;

    // Creates the window from resource 128 (icon and menu); commands go to onCommand, the end of a suspend
    // (the power broadcast every top-level window gets) to onResume. FALSE on failure.
    BOOL LoadFrame(CommandHandler onCommand, ResumeHandler onResume = {});

    HWND GetSafeHwnd() const { return m_hWnd; }

private:
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    CommandHandler m_onCommand;
    ResumeHandler m_onResume;
};

} // namespace zelto::win32
