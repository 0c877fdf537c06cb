#pragma once

#include "desktop/DialogContext.h"
#include "desktop/DialogWorker.h"
#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "win32/GuiTasks.h"
#include "win32/MessageBox.h"

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <string>
#include <vector>

namespace zelto::win32::test {

// Serves the thread's messages until `done` holds, ten seconds at most; false when it never did.
template <class Done> bool PumpUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

// A key press on the focused control of a modeless dialog, through the dialog manager as a real press goes.
inline void PressKey(HWND dialog, WPARAM key) {
    MSG message{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    if (!IsDialogMessageW(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline void SetAddress(HWND dialog, int id, BYTE a, BYTE b, BYTE c, BYTE d) {
    SendDlgItemMessageW(dialog, id, IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(a, b, c, d)));
}

inline std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

// A settings file in a fresh folder and the dialogs' context over fakes: what Quit and the message
// boxes would do is recorded instead.
struct DialogWorld {
    fakes::TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    fakes::FakeHttp http;
    fakes::FakeSound sound;
    int quits = 0;
    std::vector<std::string> messages;
    GuiTasks tasks;
    DialogWorker worker{[this](std::function<void()> task) { tasks.Post(std::move(task)); }};
    DialogContext context{settings, http,
                          sound,    [this] { ++quits; },
                          worker,   [this](const std::string& text) { messages.push_back(text); }};
    MessageFn showMessage = [this](HWND, const std::string& text) { messages.push_back(text); };

    DialogWorld() {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
    }
};

} // namespace zelto::win32::test
