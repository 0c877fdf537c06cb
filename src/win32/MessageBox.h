#pragma once

#include <windows.h>

#include <string>

namespace zelto {

class SettingsFile;

// The program's message box: the text, an OK button, the exclamation icon and the executable's base name as
// caption. Returns when the user has closed it; blocks only the calling thread.
void ShowWarningMessage(HWND owner, const std::string& text);

// The caption of every message box: the executable's base name.
std::wstring ApplicationName();

// Told when a settings write failed, so that a change the user made is never lost in silence.
std::string WriteFailedText(const SettingsFile& settings);

} // namespace zelto
