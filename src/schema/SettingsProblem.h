#pragma once

#include "settings/SettingsError.h"

#include <filesystem>
#include <string>

namespace zelto {

// What keeps the client from using its settings file: the file itself, or a count above the client's limit
// that no front-end writes (a damaged or hand-edited file).
struct SettingsProblem {
    SettingsError error;
    std::string tooLargeCount;  // the count's key, when that is the problem
    std::filesystem::path file; // the settings file, for a count

    explicit operator bool() const { return error || !tooLargeCount.empty(); }
};

// The words every front-end shows for a settings file it cannot use: names the file and, when the system
// gave one, the reason (or the key).
std::string SettingsProblemText(const SettingsError& error);
std::string SettingsProblemText(const SettingsProblem& problem);

} // namespace zelto
