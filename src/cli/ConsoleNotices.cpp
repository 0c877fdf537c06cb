#include "cli/ConsoleNotices.h"

namespace zelto {

namespace {

// The journal priority of each outcome.
LogPriority PriorityOf(ExchangeOutcome outcome) {
    switch (WeightOf(outcome)) {
    case OutcomeWeight::Routine:
        return LogPriority::Info;
    case OutcomeWeight::Warning:
        return LogPriority::Warning;
    case OutcomeWeight::Failure:
        break;
    }
    return LogPriority::Error;
}

} // namespace

void ConsoleNotices::ShowMessage(const std::string& text) {
    WriteLine(console_.err, console_.errMarks, LogPriority::Warning, console_.program + ": " + text);
}

bool ConsoleNotices::SetTooltipText(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        if (text == tooltip_)
            return true;
        tooltip_ = text;
    }
    WriteLine(console_.out, console_.outMarks, LogPriority::Info, text);
    return true;
}

void ConsoleNotices::LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) {
    WriteLine(console_.out, console_.outMarks, PriorityOf(outcome), maskedUrl + " -> " + ShortenedServerText(text));
}

void ConsoleNotices::WriteLine(std::ostream& stream, LogMarks marks, LogPriority priority, const std::string& line) {
    const std::string printable = PrintableText(line);
    // Stamped under the lock, so that the times in a log never go backwards.
    std::lock_guard lock(mutex_);
    stream << MarkLogLine(marks, priority, printable, std::chrono::system_clock::now()) << '\n' << std::flush;
}

} // namespace zelto
