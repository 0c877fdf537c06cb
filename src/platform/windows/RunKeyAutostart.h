#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zelto {

// Starting the desktop program at sign-in: the value "Zelto Premium" under
// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run.
struct RunKeyAutostart {
    static constexpr const char* kShownName =
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Zelto Premium";

    // The command the value holds: the desktop program beside this one, quoted, and --settings with the
    // file's absolute path when one other than the default was given. nullopt when the path holds a quote,
    // which no command line could carry.
    static std::optional<std::wstring> Command(const std::optional<std::filesystem::path>& settings);

    // Writes the value; false with the system's reason in `problem`.
    static bool Enable(const std::wstring& command, std::string& problem);
    // Deletes the value; `removed` false when there was none.
    static bool Disable(bool& removed, std::string& problem);
    // The value's command, nullopt when there is none.
    static std::optional<std::wstring> Current();
};

} // namespace zelto
