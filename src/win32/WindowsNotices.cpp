#include "win32/WindowsNotices.h"

#include "platform/SettingsText.h"
#include "platform/windows/WideText.h"
#include "update/PrintableText.h"
#include "win32/MessageBox.h"
#include "win32/SystemTray.h"

namespace zelto {

namespace {

// How the log marks each outcome after the program's name: nothing for a routine one, like a compiler otherwise.
const char* LogLabel(ExchangeOutcome outcome) {
    switch (WeightOf(outcome)) {
    case OutcomeWeight::Routine:
        return "";
    case OutcomeWeight::Warning:
        return "warning: ";
    case OutcomeWeight::Failure:
        break;
    }
    return "error: ";
}

} // namespace

void WindowsNotices::ShowMessage(const std::string& text) {
    ShowWarningMessage(nullptr, text);
}

bool WindowsNotices::SetTooltipText(const std::string& text) {
    const bool changed = m_tray.SetTooltipText(text) != FALSE;
    if (changed)
        OutputDebugStringW(Widen(ShownText("tooltip: " + text + "\n")).c_str());
    return changed;
}

void WindowsNotices::LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) {
    OutputDebugStringW(
        Widen(ShownText(LogLabel(outcome) + maskedUrl + " -> " + ShortenedServerText(text) + "\n")).c_str());
}

} // namespace zelto
