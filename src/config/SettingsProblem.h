#pragma once

#include "settings/SettingsError.h"

#include <string>

namespace zelto {

// The words every front-end shows for a settings file it cannot use: names the file and, when the system
// gave one, the reason.
std::string SettingsProblemText(const SettingsError& error);

} // namespace zelto
