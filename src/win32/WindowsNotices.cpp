#include "win32/WindowsNotices.h"

#include "platform/windows/WideText.h"
#include "win32/MessageBox.h"
#include "win32/SystemTray.h"

namespace zelto {

namespace {

// How the debugger's output marks each outcome: nothing for an answer, like a compiler otherwise.
const char* LogLabel(ExchangeOutcome outcome) {
    switch (outcome) {
    case ExchangeOutcome::Answered:
        return "";
    case ExchangeOutcome::DomainsLeftOut:
        return "warning: ";
    case ExchangeOutcome::NotAnAddress:
    case ExchangeOutcome::NoAnswer:
    case ExchangeOutcome::NoSession:
    case ExchangeOutcome::RecordNotWritten:
    case ExchangeOutcome::SettingsNotWritten:
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
        OutputDebugStringW(Widen("tooltip: " + text + "\n").c_str());
    return changed;
}

void WindowsNotices::LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) {
    OutputDebugStringW(Widen(LogLabel(outcome) + maskedUrl + " -> " + text + "\n").c_str());
}

} // namespace zelto
