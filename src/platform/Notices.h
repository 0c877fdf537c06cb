#pragma once

#include <string>

namespace zelto {

// What became of one request to the service, or of the engine's work around it. WeightOf says how much each
// matters, and each front-end shows a weight in one place (the text beside it is for people, and a server
// may send any words).
enum class ExchangeOutcome {
    Answered,         // the service answered; the text is its first line
    NotAnAddress,     // the service answered "ip" followed by what is no address: nothing was recorded
    NoAnswer,         // no response, or none that could be read
    NoSession,        // no internet session could be opened
    RecordNotWritten, // the service registered an address, but the update record could not be written
    HookFailed,       // the command run on an address change failed, timed out or was refused
};

// How much an outcome matters to whoever watches the client; every front-end's log marks follow from it.
enum class OutcomeWeight { Routine, Warning, Failure };

constexpr OutcomeWeight WeightOf(ExchangeOutcome outcome) {
    switch (outcome) {
    case ExchangeOutcome::Answered:
        return OutcomeWeight::Routine;
    case ExchangeOutcome::NotAnAddress:
    case ExchangeOutcome::NoAnswer:
    case ExchangeOutcome::NoSession:
    case ExchangeOutcome::RecordNotWritten:
    case ExchangeOutcome::HookFailed:
        break;
    }
    return OutcomeWeight::Failure;
}

// An answer about one domain's account that will not change by itself.
struct AccountNotice {
    enum class Problem { Expired, NoDomain, WrongPassword };
    Problem problem = Problem::WrongPassword;
    std::string domain;           // the name label, "example"
    std::string topLevel;         // "com"
    std::string registrationPage; // where an account is made or renewed
    std::string message;          // the dialog's text
};

// What the engine tells the user: message boxes, the tray icon's tooltip, and a line per request for
// front-ends that keep a log.
class Notices {
public:
    Notices() = default;
    virtual ~Notices() = default;
    Notices(const Notices&) = delete;
    Notices& operator=(const Notices&) = delete;

    // Shows a message and returns at once, so that one domain's message never holds up the others: a desktop
    // hands the box to its own GUI thread, where it stays until the user closes it or the program leaves.
    virtual void ShowMessage(const std::string& text) = 0;
    // An account problem. The dialogs' text sends the user to the Properties dialog; a front-end without one
    // says instead which command fixes it.
    virtual void ShowAccountProblem(const AccountNotice& notice) { ShowMessage(notice.message); }
    // Replaces the tray icon's tooltip; false when there is no icon to change.
    virtual bool SetTooltipText(const std::string& text) = 0;
    // One request went out (its URL with the password masked), or the engine has something to say about the
    // service at that URL: what became of it, and the answer line or the engine's words for it.
    virtual void LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) = 0;
    // A pass over the domains begins or has ended: a log may hold the pass's lines back and write them
    // together, as long as every line is out when the pass ends.
    virtual void PassBegins() {}
    virtual void PassEnded() {}
};

} // namespace zelto
