#pragma once

#include "update/ClientSettings.h"

#include <ctime>
#include <string>
#include <string_view>

namespace zelto {

// One paused domain in the words every front-end shows: the domain, why, since when (local time; the
// date too when it was not today) and what lifts the pause.
std::string PausedDomainText(const PausedDomain& paused, std::time_t now);

// Why, in a few words: "the service refused the password".
std::string PauseReasonText(PauseReason reason);
// The service's own word for it, for scripts: "wrongpassword", "expired", "nodomain".
std::string_view PauseReasonKey(PauseReason reason);

} // namespace zelto
