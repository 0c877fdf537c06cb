#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace zelto::win32 {

// Shows a message to the user over owner and returns once it has been acknowledged; tests hand in their own.
using MessageFn = std::function<void(HWND owner, const std::string& text)>;

// The program's message box: the text, an OK button, the exclamation icon and the executable's base name as
// caption. Returns when the user has closed it; blocks only the calling thread.
void ShowWarningMessage(HWND owner, const std::string& text);

// The caption of every message box: the executable's base name.
std::wstring ApplicationName();

} // namespace zelto::win32
