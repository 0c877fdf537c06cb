#include "settings/posix/XdgFolders.h"

#include "settings/SettingsFile.h"
#include "settings/SettingsHome.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace zelto {

namespace fs = std::filesystem;

fs::path HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return home;
}

fs::path XdgBaseFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && fs::path(value).is_absolute())
        return value;
    return HomeFolder() / underHome;
}

fs::path DefaultSettingsPath() {
    return XdgBaseFolder("XDG_CONFIG_HOME", ".config") / "zelto-premium" / SettingsFile::kFileName;
}

fs::path UserStateFolder() {
    const char* value = std::getenv("XDG_STATE_HOME");
    if ((value == nullptr || !fs::path(value).is_absolute()) && HomeFolder() == "/")
        return "/var/lib/zelto-premium"; // the system service's StateDirectory
    return XdgBaseFolder("XDG_STATE_HOME", ".local/state") / "zelto-premium";
}

std::optional<fs::path> SystemServiceSettingsForRoot() {
    const fs::path system = fs::path("/etc/zelto-premium") / SettingsFile::kFileName;
    std::error_code ignored;
    if (::geteuid() != 0 || !fs::exists(system, ignored))
        return std::nullopt;
    return system;
}

} // namespace zelto
