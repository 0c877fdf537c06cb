#include "config/PauseText.h"

#include "schema/UpdateRecord.h"
#include "update/ExchangeFailure.h"

namespace zelto {

std::string PauseReasonText(PauseReason reason) {
    switch (reason) {
    case PauseReason::WrongPassword:
        return "the service refused the password";
    case PauseReason::Expired:
        return "the subscription has expired";
    case PauseReason::NoDomain:
        return "the service does not know the domain";
    }
    return {};
}

namespace {

std::string WhatResumes(PauseReason reason) {
    switch (reason) {
    case PauseReason::WrongPassword:
        return "re-enter it to resume";
    case PauseReason::Expired:
        return "renew it, then Force IP Update (force-update) resumes";
    case PauseReason::NoDomain:
        return "correct the domain, or create it, then Force IP Update (force-update) resumes";
    }
    return {};
}

std::string When(std::time_t since, std::time_t now, bool seconds = false) {
    std::tm local{};
    std::tm today{};
    localtime_r(&since, &local);
    localtime_r(&now, &today);
    const bool sameDay = local.tm_year == today.tm_year && local.tm_yday == today.tm_yday;
    char text[32];
    std::strftime(text, sizeof text,
                  sameDay ? (seconds ? "%H:%M:%S" : "%H:%M") : (seconds ? "%Y-%m-%d %H:%M:%S" : "%Y-%m-%d %H:%M"),
                  &local);
    return text;
}

} // namespace

std::string PausedDomainText(const PausedDomain& paused, std::time_t now) {
    return paused.entry.domain + "." + paused.entry.topLevel + ": paused, " + PauseReasonText(paused.pause.reason) +
           " (" + When(paused.pause.since, now) + "); " + WhatResumes(paused.pause.reason);
}

} // namespace zelto

namespace zelto {

std::string OutcomeText(const RequestOutcome& outcome) {
    switch (outcome.result) {
    case RequestResult::Registered:
        return "registered";
    case RequestResult::WrongPassword:
        return PauseReasonText(PauseReason::WrongPassword);
    case RequestResult::Expired:
        return PauseReasonText(PauseReason::Expired);
    case RequestResult::NoDomain:
        return PauseReasonText(PauseReason::NoDomain);
    case RequestResult::OtherAnswer:
        break;
    case RequestResult::NoAnswer:
        return NoAnswerText(outcome.failure);
    }
    const std::string why = FailureText(outcome.failure, outcome.status);
    return "an answer that means nothing" + (why.empty() ? "" : " (" + why + ")");
}

std::string FailedDomainText(const std::string& name, const RequestOutcome& outcome, std::time_t now) {
    return name + ": the last update failed, " + OutcomeText(outcome) + " (" + When(outcome.when, now) + ")";
}

std::string TimeText(std::time_t when, std::time_t now) {
    return When(when, now, true);
}

std::string UnrecordedText(const UnrecordedRegistration& registration, std::time_t now) {
    return "registered " + registration.address + " at " + TimeText(registration.when, now) +
           ", but it could not be recorded: " + registration.reason;
}

std::string FailureWaitText(const FailureWait& wait, std::time_t now) {
    const std::string passes = wait.failures == 1
                                   ? "1 failed pass, at "
                                   : std::to_string(wait.failures) + " failed passes in a row, the last at ";
    return passes + TimeText(wait.last.when, now) + ": " + OutcomeText(wait.last) + "; the next try is due " +
           (wait.until > now ? "at " + TimeText(wait.until, now) : std::string("now"));
}

} // namespace zelto
