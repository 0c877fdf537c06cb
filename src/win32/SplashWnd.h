#pragma once

#include <windows.h>

namespace zelto::win32 {

// The start-up picture: borderless, topmost, centred on the work area, for a given time or until a key or
// mouse press on it. It deletes itself, so nobody keeps it.
class CSplashWnd {
public:
    CSplashWnd(const CSplashWnd&) = delete;
    CSplashWnd& operator=(const CSplashWnd&) = delete;

    // Shows the bitmap for displayTime milliseconds over the work area of mainWindow's screen; FALSE (and
    // nothing shown) when the picture could not be loaded.
    static BOOL Show(UINT bitmapId, UINT displayTime, HWND mainWindow);

    // Loads a bitmap resource as a DIB section and builds its palette: its own colours for up to 256, the
    // halftone palette otherwise (palette may stay null). FALSE when the bitmap cannot be loaded.
    static BOOL LoadSplashBitmap(UINT id, HBITMAP& bitmap, HPALETTE& palette);

private:
    CSplashWnd(UINT bitmapId, UINT displayTime);
    ~CSplashWnd();
    BOOL Create(HWND mainWindow);
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void Dismiss();

    UINT m_nBitmapId;
    UINT m_nDisplayTime;
    UINT_PTR m_nTimerId = 0;
    HBITMAP m_hBitmap = nullptr;
    HPALETTE m_hPalette = nullptr;
    HWND m_hWndOwner = nullptr; // invisible, so that the splash gets no taskbar button
    HWND m_hWnd = nullptr;
};

} // namespace zelto::win32
