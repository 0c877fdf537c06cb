#include "win32/WindowsNotices.h"

#include "platform/windows/WideText.h"
#include "win32/MessageBox.h"
#include "win32/SystemTray.h"

namespace zelto {

void WindowsNotices::ShowMessage(const std::string& text) {
    ShowWarningMessage(nullptr, text);
}

bool WindowsNotices::SetTooltipText(const std::string& text) {
    const bool changed = m_tray.SetTooltipText(text) != FALSE;
    if (changed)
        OutputDebugStringW(Widen("tooltip: " + text + "\n").c_str());
    return changed;
}

void WindowsNotices::LogExchange(const std::string& maskedUrl, const std::string& outcome) {
    OutputDebugStringW(Widen(maskedUrl + " -> " + outcome + "\n").c_str());
}

} // namespace zelto
