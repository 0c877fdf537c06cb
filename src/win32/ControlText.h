#pragma once

#include <windows.h>

#include <string>

namespace zelto::win32 {

// A control's text, and setting it, in the program's UTF-8.
std::string GetItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);

// A string of the program's string table; empty when it has none under that id.
std::wstring LoadResourceString(UINT id);

} // namespace zelto::win32
