#include "cli/ConsoleNotices.h"

namespace zelto {

namespace {

// The engine's own words for a request that got no answer or whose result was not kept; anything else is
// what the service answered.
bool ExchangeFailed(const std::string& outcome) {
    return outcome.starts_with("no answer") || outcome.starts_with("no internet session") ||
           outcome.find("could not") != std::string::npos;
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

void ConsoleNotices::LogExchange(const std::string& maskedUrl, const std::string& outcome) {
    WriteLine(console_.out, console_.outMarks, ExchangeFailed(outcome) ? LogPriority::Error : LogPriority::Info,
              maskedUrl + " -> " + outcome);
}

void ConsoleNotices::WriteLine(std::ostream& stream, LogMarks marks, LogPriority priority, const std::string& line) {
    const std::string printable = PrintableText(line);
    // Stamped under the lock, so that the times in a log never go backwards.
    std::lock_guard lock(mutex_);
    stream << MarkLogLine(marks, priority, printable, std::chrono::system_clock::now()) << '\n' << std::flush;
}

} // namespace zelto
