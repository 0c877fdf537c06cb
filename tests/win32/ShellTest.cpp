// The tray icon, the splash window and the sound cues against the real shell and the program's resources.
#include "ResourceIds.h"
#include "Win32TestSupport.h"
#include "win32/MainFrm.h"
#include "win32/SplashWnd.h"
#include "win32/SystemTray.h"
#include "win32/WaveSoundPlayer.h"
#include "win32/WindowsNotices.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace zelto::win32 {
namespace {

using test::PumpMessages;
using namespace std::chrono_literals;

// The visible splash window (its invisible owner has the same class).
HWND VisibleSplash() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (std::wstring(name) == L"ZeltoSplashWnd" && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Wine sends no power broadcast: the test sends the one the system sends at the end of a suspend.
TEST(MainFrmTest, TheEndOfASuspendReachesTheClient) {
    int resumes = 0;
    {
        CMainFrm frame;
        ASSERT_TRUE(frame.LoadFrame([](UINT) { return false; }, [&] { ++resumes; }));
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

TEST(SplashWndTest, ShowsThePictureCentredOnTopUntilItsTimeIsUp) {
    ASSERT_TRUE(CSplashWnd::Show(IDB_SPLASH, 300, nullptr));
    HWND splash = VisibleSplash();
    ASSERT_NE(splash, nullptr);
    RECT placed;
    GetWindowRect(splash, &placed);
    EXPECT_EQ(placed.right - placed.left, 300);
    EXPECT_EQ(placed.bottom - placed.top, 230);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((placed.left + placed.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((placed.top + placed.bottom) / 2, (work.top + work.bottom) / 2, 1);
    EXPECT_TRUE(GetWindowLongW(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);

    PumpMessages(100ms);
    EXPECT_NE(VisibleSplash(), nullptr) << "still there before its time";
    PumpMessages(600ms);
    EXPECT_EQ(VisibleSplash(), nullptr);
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

TEST(SplashWndTest, PaletteFollowsTheBitmapsColours) {
    struct Case {
        UINT id;
        int width, height, bitsPerPixel;
    };
    for (const Case& c : {Case{IDB_SPLASH, 300, 230, 24}, Case{IDB_BANNER, 150, 75, 8}}) {
        HBITMAP bitmap = nullptr;
        HPALETTE palette = nullptr;
        ASSERT_TRUE(CSplashWnd::LoadSplashBitmap(c.id, bitmap, palette));
        DIBSECTION section{};
        ASSERT_EQ(GetObjectW(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
        EXPECT_EQ(section.dsBm.bmWidth, c.width);
        EXPECT_EQ(section.dsBm.bmHeight, c.height);
        EXPECT_EQ(section.dsBm.bmBitsPixel, c.bitsPerPixel);
        ASSERT_NE(palette, nullptr);
        WORD entries = 0;
        GetObjectW(palette, sizeof entries, &entries);
        if (c.bitsPerPixel == 8) {
            // Its own colours, in the same order.
            const DWORD colours = section.dsBmih.biClrUsed ? section.dsBmih.biClrUsed : 256;
            EXPECT_EQ(entries, colours);
            HDC memory = CreateCompatibleDC(nullptr);
            HGDIOBJ previous = SelectObject(memory, bitmap);
            RGBQUAD first{};
            GetDIBColorTable(memory, 0, 1, &first);
            SelectObject(memory, previous);
            DeleteDC(memory);
            PALETTEENTRY entry{};
            GetPaletteEntries(palette, 0, 1, &entry);
            EXPECT_EQ(entry.peRed, first.rgbRed);
            EXPECT_EQ(entry.peGreen, first.rgbGreen);
            EXPECT_EQ(entry.peBlue, first.rgbBlue);
            EXPECT_EQ(entry.peFlags, 0);
        }
        DeleteObject(palette);
        DeleteObject(bitmap);
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

// A window that keeps the last command it was sent, standing in for the hidden frame.
UINT g_lastCommand = 0;
LRESULT CALLBACK CommandTarget(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        g_lastCommand = LOWORD(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(SystemTrayTest, DoubleClickRunsTheMenusDefaultItem) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &CommandTarget;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZeltoTestCommandTarget";
    RegisterClassW(&windowClass);
    HWND target = CreateWindowExW(0, L"ZeltoTestCommandTarget", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(target, nullptr);
    struct Probe : CSystemTray {
        LRESULT Notify(WPARAM id, LPARAM mouse) { return OnTrayNotification(id, mouse); }
    } tray;
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY));
    tray.Create(nullptr, WM_USER + 10, "Zelto Premium Online!", icon, IDR_TRAYMENU, target);

    g_lastCommand = 0;
    EXPECT_EQ(tray.Notify(IDR_TRAYMENU + 1, WM_LBUTTONDBLCLK), 0) << "another icon's";
    EXPECT_EQ(tray.Notify(IDR_TRAYMENU, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(g_lastCommand, 0u) << "a single click does nothing";
    EXPECT_EQ(tray.Notify(IDR_TRAYMENU, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(g_lastCommand, static_cast<UINT>(ID_WEB_INTERFACE));
    DestroyWindow(target);
}

// A message box open on this thread, if any.
HWND OpenBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::wstring(name) == L"#32770" && IsWindowVisible(window))
                *reinterpret_cast<HWND*>(param) = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

WindowsNotices* g_notices = nullptr;
HWND g_box = nullptr;

// The update thread's box is shown by this thread while the update thread goes on; the way out closes it.
TEST(WindowsNoticesTest, TheCallerGoesOnAndTheWayOutClosesTheBox) {
    CSystemTray tray;
    WindowsNotices notices(tray);
    g_notices = &notices;
    std::thread([&] { notices.ShowMessage("Your subscription has expired!"); }).join();
    // Runs inside the box's own loop, once it is up.
    SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        g_box = OpenBox();
        g_notices->CloseAll();
    });
    PumpMessages(1500ms);
    ASSERT_NE(g_box, nullptr) << "the box was shown";
    EXPECT_FALSE(IsWindow(g_box));
    notices.ShowMessage("after the way out");
    PumpMessages(300ms);
    EXPECT_EQ(OpenBox(), nullptr);
}

TEST(WaveSoundPlayerTest, EveryCueIsAResourceAndAnUnknownNamePlaysNothing) {
    for (const wchar_t* name : {L"INTROSOUND", L"BLEEP", L"OUCH"}) {
        HRSRC resource = FindResourceW(nullptr, name, L"WAVE");
        ASSERT_NE(resource, nullptr);
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
        EXPECT_EQ(std::string(bytes, 4), "RIFF");
        EXPECT_EQ(std::string(bytes + 8, 4), "WAVE");
    }
    WaveSoundPlayer sound;
    EXPECT_FALSE(sound.PlaySoundCue("NOSUCHCUE"));
}

} // namespace
} // namespace zelto::win32
