#include "win32/MessageBox.h"

#include "platform/SettingsText.h"
#include "platform/windows/WideText.h"

namespace zelto::win32 {

void ShowWarningMessage(HWND owner, const std::string& text) {
    MessageBoxW(owner, Widen(ShownText(text)).c_str(), ApplicationName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::wstring ApplicationName() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    if (const auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos)
        name.erase(0, slash + 1);
    if (const auto dot = name.find_last_of(L'.'); dot != std::wstring::npos)
        name.erase(dot);
    return name;
}

} // namespace zelto::win32
