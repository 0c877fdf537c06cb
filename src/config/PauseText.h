#pragma once

#include "schema/ClientSettings.h"
#include "schema/UnrecordedRegistration.h"

#include <ctime>
#include <string>
#include <string_view>

namespace zelto {

// One paused domain in the words every front-end shows: the domain, why, since when (local time; the
// date too when it was not today) and what lifts the pause.
std::string PausedDomainText(const PausedDomain& paused, std::time_t now);

// A domain whose last request failed though it is not paused: "example.com: the last update failed, no answer
// (timed out) (14:02)". The words of the failure come from the outcome's value.
std::string FailedDomainText(const std::string& name, const RequestOutcome& outcome, std::time_t now);
// What came of a request, in a few words: "registered", "no answer (connection refused)".
std::string OutcomeText(const RequestOutcome& outcome);

// The wait after failures in the words every front-end shows: "3 failed passes in a row, the last at 14:02:11:
// no answer (connection refused); the next try is due at 14:06:40" (the date too when not today).
std::string FailureWaitText(const FailureWait& wait, std::time_t now);
// "registered 203.0.113.7 at 12:15:03, but it could not be recorded: could not write …: Permission denied".
std::string UnrecordedText(const UnrecordedRegistration& registration, std::time_t now);
// A time of day in those words: "14:06:40", or "2026-12-07 14:06:40" when not today.
std::string TimeText(std::time_t when, std::time_t now);

// Why, in a few words: "the service refused the password".
std::string PauseReasonText(PauseReason reason);

} // namespace zelto
