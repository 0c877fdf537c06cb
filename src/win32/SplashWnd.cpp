#include "win32/SplashWnd.h"

#include <algorithm>
#include <vector>

namespace zelto::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"ZeltoSplashWnd";
constexpr UINT_PTR kTimerId = 1;

void RegisterSplashClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_CLASSDC;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

} // namespace

CSplashWnd::CSplashWnd(UINT bitmapId, UINT displayTime) : m_nBitmapId(bitmapId), m_nDisplayTime(displayTime) {}

CSplashWnd::~CSplashWnd() {
    if (m_hPalette)
        DeleteObject(m_hPalette);
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
}

BOOL CSplashWnd::LoadSplashBitmap(UINT id, HBITMAP& bitmap, HPALETTE& palette) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    bitmap = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return FALSE;
    DIBSECTION section{};
    GetObjectW(bitmap, sizeof section, &section);
    const DWORD colours = section.dsBmih.biClrUsed != 0 ? section.dsBmih.biClrUsed : 1u << section.dsBmih.biBitCount;

    HDC screen = GetDC(nullptr);
    if (colours <= 256) {
        std::vector<RGBQUAD> table(colours);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        GetDIBColorTable(memory, 0, colours, table.data());
        SelectObject(memory, previous);
        DeleteDC(memory);

        std::vector<BYTE> buffer(sizeof(LOGPALETTE) + colours * sizeof(PALETTEENTRY));
        auto* logical = reinterpret_cast<LOGPALETTE*>(buffer.data());
        logical->palVersion = 0x300;
        logical->palNumEntries = static_cast<WORD>(colours);
        for (DWORD i = 0; i < colours; ++i)
            logical->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
        palette = CreatePalette(logical);
    } else {
        palette = CreateHalftonePalette(screen);
    }
    ReleaseDC(nullptr, screen);
    return TRUE;
}

BOOL CSplashWnd::Show(UINT bitmapId, UINT displayTime, HWND mainWindow) {
    auto* splash = new CSplashWnd(bitmapId, displayTime);
    if (splash->Create(mainWindow))
        return TRUE; // from now on it deletes itself
    delete splash;
    return FALSE;
}

BOOL CSplashWnd::Create(HWND mainWindow) {
    if (!LoadSplashBitmap(m_nBitmapId, m_hBitmap, m_hPalette))
        return FALSE;
    BITMAP size{};
    GetObjectW(m_hBitmap, sizeof size, &size);

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterSplashClass(instance);
    m_hWndOwner = CreateWindowExW(WS_EX_TOPMOST, kWindowClass, L"", WS_POPUP, 0, 0, size.bmWidth, size.bmHeight,
                                  nullptr, nullptr, instance, nullptr);
    m_hWnd = CreateWindowExW(WS_EX_TOPMOST, kWindowClass, L"", WS_POPUP, 0, 0, size.bmWidth, size.bmHeight, m_hWndOwner,
                             nullptr, instance, nullptr);
    if (!m_hWnd) {
        if (m_hWndOwner)
            DestroyWindow(m_hWndOwner);
        return FALSE;
    }
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSplashWnd::StaticWindowProc));

    // Centred in the work area of the main window's screen, and kept inside it.
    const RECT work = WorkAreaOf(mainWindow);
    const int x = std::max(work.left, work.left + (work.right - work.left - size.bmWidth) / 2);
    const int y = std::max(work.top, work.top + (work.bottom - work.top - size.bmHeight) / 2);
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    ShowWindow(m_hWnd, SW_SHOW);
    UpdateWindow(m_hWnd);
    m_nTimerId = SetTimer(m_hWnd, kTimerId, m_nDisplayTime, nullptr);
    return TRUE;
}

LRESULT CALLBACK CSplashWnd::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* splash = reinterpret_cast<CSplashWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!splash || splash->m_hWnd != window)
        return DefWindowProcW(window, message, wParam, lParam);
    return splash->WindowProc(message, wParam, lParam);
}

LRESULT CSplashWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_TIMER:
        if (wParam != m_nTimerId)
            break;
        Dismiss();
        return 0;
    // A key or mouse press on the picture removes it at once and goes no further.
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        Dismiss();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void CSplashWnd::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, m_hBitmap);
    if ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) && m_hPalette) {
        SelectPalette(dc, m_hPalette, FALSE);
        RealizePalette(dc);
    }
    RECT client;
    GetClientRect(m_hWnd, &client);
    BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    EndPaint(m_hWnd, &paint);
}

void CSplashWnd::Dismiss() {
    KillTimer(m_hWnd, m_nTimerId);
    // The owned splash window goes with its owner; nothing of this object is touched after the delete.
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hWndOwner);
    delete this;
}

} // namespace zelto::win32
