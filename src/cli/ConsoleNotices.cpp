#include "cli/ConsoleNotices.h"

namespace zelto {

namespace {

using namespace std::chrono_literals;

// How long a pass's request lines may wait to be written together.
constexpr auto kLogBatch = 100ms;

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

// Nobody at a terminal or reading the journal has a Properties dialog: name the command instead.
std::string AccountProblemLine(const AccountNotice& notice, const std::string& program) {
    const std::string name = notice.domain + "." + notice.topLevel;
    const std::string labels = " " + notice.domain + " " + notice.topLevel;
    switch (notice.refusal) {
    case Refusal::WrongPassword:
        return "Password for domain *." + name + " is incorrect! Enter the correct one with: " + program +
               " domain password" + labels;
    case Refusal::NoDomain:
        return "Domain *." + name + " does not exist! Please visit " + notice.registrationPage +
               " to create your subscription, or correct the domain with: " + program + " domain remove" + labels +
               ", then " + program + " domain add";
    case Refusal::Expired:
        break;
    }
    return "Your subscription for " + name + " has expired! Please visit " + notice.registrationPage +
           " to re-activate your subscription!";
}

void ConsoleNotices::ShowAccountProblem(const AccountNotice& notice) {
    ShowMessage(AccountProblemLine(notice, console_.program));
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
    WriteLine(console_.out, console_.outMarks, PriorityOf(outcome), maskedUrl + " -> " + ShortenedServerText(text),
              Flush::MayWait);
}

void ConsoleNotices::PassBegins() {
    std::lock_guard lock(mutex_);
    inPass_ = true;
}

void ConsoleNotices::PassEnded() {
    std::lock_guard lock(mutex_);
    inPass_ = false;
    console_.out << flush;
}

void ConsoleNotices::WriteLine(ConsoleStream& stream, LogMarks marks, LogPriority priority, const std::string& line,
                               Flush when) {
    const std::string printable = PrintableText(line);
    // Stamped under the lock, so that the times in a log never go backwards.
    std::lock_guard lock(mutex_);
    if (&stream != &console_.out)
        console_.out << flush; // the lines held back come first
    stream << MarkLogLine(marks, priority, printable, std::chrono::system_clock::now()) << '\n';
    const auto now = std::chrono::steady_clock::now();
    if (when == Flush::MayWait && inPass_ && now - flushedAt_ < kLogBatch)
        return;
    stream << flush;
    flushedAt_ = now;
}

} // namespace zelto
