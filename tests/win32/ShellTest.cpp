// The tray icon, the splash window and the notices against the real shell and the program's resources.
#include "ResourceIds.h"
#include "Win32TestSupport.h"
#include "win32/MainFrm.h"
#include "win32/SplashWnd.h"
#include "win32/SystemTray.h"
#include "win32/WindowsNotices.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace zelto::win32 {
namespace {

using test::PumpUntil;

// A visible window of this thread of the given class (the splash's invisible owner shares its class).
HWND VisibleWindow(const wchar_t* windowClass) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, windowClass, nullptr)) != nullptr;)
        if (IsWindowVisible(window) && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
            return window;
    return nullptr;
}

HWND VisibleSplash() {
    return VisibleWindow(L"ZeltoSplashWnd");
}

// The hidden frame runs the tray menu's default item at a double click on the icon, and hears the end of a
// suspend (Wine sends no power broadcast: the test sends the one the system sends).
TEST(MainFrmTest, TakesTheTraysDefaultItemAndTheEndOfASuspend) {
    UINT command = 0;
    int resumes = 0;
    {
        CMainFrm frame;
        ASSERT_TRUE(frame.LoadFrame(
            [&](UINT id) {
                command = id;
                return true;
            },
            [&] { ++resumes; }));
        struct Probe : CSystemTray {
            LRESULT Notify(WPARAM id, LPARAM mouse) { return OnTrayNotification(id, mouse); }
        } tray;
        HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY));
        tray.Create(nullptr, WM_USER + 10, "Zelto Premium Online!", icon, IDR_TRAYMENU, frame.GetSafeHwnd());
        EXPECT_EQ(tray.Notify(IDR_TRAYMENU + 1, WM_LBUTTONDBLCLK), 0) << "another icon's";
        EXPECT_EQ(tray.Notify(IDR_TRAYMENU, WM_LBUTTONDOWN), 1);
        EXPECT_EQ(command, 0u) << "a single click does nothing";
        EXPECT_EQ(tray.Notify(IDR_TRAYMENU, WM_LBUTTONDBLCLK), 1);
        EXPECT_EQ(command, static_cast<UINT>(ID_WEB_INTERFACE));
        SendMessageW(frame.GetSafeHwnd(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
        EXPECT_EQ(resumes, 0);
        SendMessageW(frame.GetSafeHwnd(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        EXPECT_EQ(resumes, 1);
    }
    // The frame's end quits the message loop: the tests after this one pump messages on the same thread.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// Centred on top, gone once its time is up (its size is the real program's check).
TEST(SplashWndTest, ShowsThePictureCentredOnTopUntilItsTimeIsUp) {
    ASSERT_TRUE(CSplashWnd::Show(IDB_SPLASH, 300, nullptr));
    HWND splash = VisibleSplash();
    ASSERT_NE(splash, nullptr);
    RECT placed, work;
    GetWindowRect(splash, &placed);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(placed.left + placed.right, work.left + work.right, 2);
    EXPECT_NEAR(placed.top + placed.bottom, work.top + work.bottom, 2);
    EXPECT_TRUE(GetWindowLongW(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(PumpUntil([] { return VisibleSplash() == nullptr; }));
}

TEST(SplashWndTest, AnyMouseButtonOrKeyRemovesItAtOnce) {
    for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_KEYDOWN}) {
        ASSERT_TRUE(CSplashWnd::Show(IDB_SPLASH, 60000, nullptr));
        HWND splash = VisibleSplash();
        ASSERT_NE(splash, nullptr);
        SendMessageW(splash, press, 0, 0);
        EXPECT_FALSE(IsWindow(splash)) << "message " << press;
    }
}

TEST(SystemTrayTest, IconComesBackWhenTheNotificationAreaIsRecreated) {
    CSystemTray tray;
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY));
    if (!tray.Create(nullptr, WM_USER + 10, "Zelto Premium Online!", icon, IDR_TRAYMENU, nullptr))
        GTEST_SKIP() << "no notification area";
    // A restarted shell knows no icons: take ours out behind the object's back, then announce a new one.
    NOTIFYICONDATAW gone{};
    gone.cbSize = NOTIFYICONDATAW_V1_SIZE;
    gone.hWnd = tray.GetSafeHwnd();
    gone.uID = IDR_TRAYMENU;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
    EXPECT_FALSE(tray.SetTooltipText("Zelto Premium Online! IP Address->203.0.113.7"));

    SendMessageW(tray.GetSafeHwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray.SetTooltipText("Zelto Premium Online! IP Address->203.0.113.8"));
    // Room for the paused domains' lines.
    const std::string paused = "Zelto Premium Online!\n" + std::string(105, 'a'); // 127 characters
    EXPECT_TRUE(tray.SetTooltipText(paused + "b"));
    EXPECT_EQ(tray.GetTooltipText(), paused);

    tray.HideIcon();
    SendMessageW(tray.GetSafeHwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_FALSE(tray.SetTooltipText("Zelto Premium Online!")) << "a hidden icon stays away";
}

WindowsNotices* g_notices = nullptr;
HWND g_box = nullptr;
bool g_looked = false;

// The update thread's box is shown by this thread while the update thread goes on; the way out closes it.
TEST(WindowsNoticesTest, TheCallerGoesOnAndTheWayOutClosesTheBox) {
    CSystemTray tray;
    WindowsNotices notices(tray);
    g_notices = &notices;
    std::thread([&] { notices.ShowMessage("Your subscription has expired!"); }).join();
    // A timer comes after the posted messages: it runs inside the box's own loop, once the box is up.
    SetTimer(nullptr, 0, 0, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        g_box = VisibleWindow(L"#32770");
        g_notices->CloseAll();
        g_looked = true;
    });
    ASSERT_TRUE(PumpUntil([] { return g_looked; }));
    ASSERT_NE(g_box, nullptr) << "the box was shown";
    EXPECT_FALSE(IsWindow(g_box));
    ASSERT_TRUE(PumpUntil([] {
        MSG pending;
        return !PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE);
    }));
    notices.ShowMessage("after the way out");
    MSG posted;
    EXPECT_FALSE(PeekMessageW(&posted, nullptr, 0, 0, PM_NOREMOVE)) << "a box after the way out";
}

} // namespace
} // namespace zelto::win32
