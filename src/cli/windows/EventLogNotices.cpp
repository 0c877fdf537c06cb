#include "cli/windows/EventLogNotices.h"

#include "cli/windows/ServiceControl.h"
#include "platform/windows/WideText.h"
#include "update/PrintableText.h"

#include <windows.h>

namespace zelto {
namespace {

// The one message of the program's message table, "%1": the event is the line itself.
constexpr DWORD kLineEvent = 1;

} // namespace

EventLogNotices::EventLogNotices() : source_(::RegisterEventSourceW(nullptr, ServiceControl::kName)) {}

EventLogNotices::~EventLogNotices() {
    if (source_ != nullptr)
        ::DeregisterEventSource(source_);
}

void EventLogNotices::ShowMessage(const std::string& text) {
    Report(EVENTLOG_WARNING_TYPE, text);
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
