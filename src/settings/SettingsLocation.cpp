#include "settings/SettingsLocation.h"

#include "settings/SettingsFile.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

namespace zelto {

namespace fs = std::filesystem;

std::filesystem::path DefaultSettingsPath() {
    const fs::path folder = fs::path("zelto-premium") / SettingsFile::kFileName;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && fs::path(config).is_absolute()) {
        return config / folder;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return fs::path(home) / ".config" / folder;
}

// No earlier client kept its settings anywhere else here.
std::filesystem::path StartingContentFor(const std::filesystem::path&) {
    return {};
}

} // namespace zelto
