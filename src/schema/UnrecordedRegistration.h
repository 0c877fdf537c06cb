#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace zelto {

// A registration the service made that the settings file could not take: noted in the user's state folder
// (UserStateFolder), keyed by the settings file, so that status and check in another process can tell it.
// The record's next write ends it.
struct UnrecordedRegistration {
    std::string address;
    std::time_t when = 0;
    std::string reason; // "could not write /home/ann/.config/zelto-premium/ZeltoPre.INI: Permission denied"

    bool operator==(const UnrecordedRegistration&) const = default;
};

std::optional<UnrecordedRegistration> ReadUnrecordedRegistration(const std::filesystem::path& settings);
// When the state folder cannot take it either, status cannot tell; the client that registered has told the
// settings problem already.
void NoteUnrecordedRegistration(const std::filesystem::path& settings, const UnrecordedRegistration& registration);
void ForgetUnrecordedRegistration(const std::filesystem::path& settings);

} // namespace zelto
