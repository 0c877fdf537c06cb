#pragma once

#include "update/ClientSettings.h"

#include <ctime>
#include <string>

namespace zelto {

// One paused domain in the words every front-end shows: the domain, why, since when (local time; the
// date too when it was not today) and what lifts the pause.
std::string PausedDomainText(const PausedDomain& paused, std::time_t now);

} // namespace zelto
