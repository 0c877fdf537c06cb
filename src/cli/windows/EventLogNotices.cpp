#include "cli/windows/EventLogNotices.h"

#include "cli/ConsoleNotices.h"
#include "cli/windows/ServiceControl.h"
#include "config/PrintableText.h"
#include "platform/windows/WideText.h"

#include <windows.h>

#include <utility>

namespace zelto {
namespace {

// The one message of the program's message table, "%1": the event is the line itself.
constexpr DWORD kLineEvent = 1;

} // namespace

EventLogNotices::EventLogNotices(std::string program)
    : program_(std::move(program)), source_(::RegisterEventSourceW(nullptr, ServiceControl::kName)) {}

EventLogNotices::~EventLogNotices() {
    if (source_ != nullptr)
        ::DeregisterEventSource(source_);
}

void EventLogNotices::ShowMessage(const std::string& text) {
    Report(EVENTLOG_WARNING_TYPE, text);
}

// A service has no Properties dialog: the event names the command, as on a console.
void EventLogNotices::ShowAccountProblem(const AccountNotice& notice) {
    ShowMessage(AccountProblemLine(notice, program_));
}

bool EventLogNotices::SetTooltipText(const std::string&) {
    return true;
}

void EventLogNotices::LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) {
    switch (WeightOf(outcome)) {
    case OutcomeWeight::Routine:
        return;
    case OutcomeWeight::Warning:
        Report(EVENTLOG_WARNING_TYPE, maskedUrl + " -> " + text);
        return;
    case OutcomeWeight::Failure:
        Report(EVENTLOG_ERROR_TYPE, maskedUrl + " -> " + text);
        return;
    }
}

void EventLogNotices::Error(const std::string& text) {
    Report(EVENTLOG_ERROR_TYPE, text);
}

void EventLogNotices::Report(unsigned short type, const std::string& text) {
    if (source_ == nullptr)
        return;
    const std::wstring line = Widen(PrintableText(text));
    const wchar_t* strings[] = {line.c_str()};
    ::ReportEventW(source_, type, 0, kLineEvent, nullptr, 1, 0, strings, nullptr);
}

} // namespace zelto
