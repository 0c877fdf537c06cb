#pragma once

#include <filesystem>
#include <string>

namespace zelto {

// The folder of a service's settings file: created when missing, and open to Administrators, SYSTEM and the
// service alone (its service SID, NT SERVICE\<name>), not inheriting anything from the folder above. The file
// and its lock file inherit that.
struct ServiceFolder {
    // %ProgramData%\Zelto Premium.
    static std::filesystem::path Default();
    // %ProgramFiles%\Zelto Premium: where the service's program is copied, since LocalService cannot read a
    // user's own folders, and a program there only administrators can replace.
    static std::filesystem::path ProgramFolder();
    // The SID of NT SERVICE\<serviceName>, as a string: the system derives it from the name alone.
    static std::string ServiceSid(const std::wstring& serviceName);
    // Creates `folder` if needed and sets its access list; false with the system's reason in `problem`.
    // (Wine takes the list and keeps none: a file's access there follows its Unix mode.)
    static bool Protect(const std::filesystem::path& folder, const std::wstring& serviceName, std::string& problem);
};

} // namespace zelto
