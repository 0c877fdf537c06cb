#include "schema/UnrecordedRegistration.h"

#include "schema/DomainPause.h"
#include "settings/SettingsHome.h"

#include <charconv>
#include <fstream>
#include <system_error>

namespace zelto {

namespace {

namespace fs = std::filesystem;

// Every name of the file (a link, a relative path) reaches the same note.
std::string SettingsName(const fs::path& settings) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(settings, error), error);
    const std::u8string name = (error ? settings.lexically_normal() : canonical).u8string();
    return {name.begin(), name.end()};
}

fs::path NotePath(const std::string& settingsName) {
    const std::string texts[] = {settingsName};
    return UserStateFolder() / ("unrecorded-" + TextsFingerprint(texts));
}

} // namespace

// Four lines: the settings file it belongs to, the address, the time and the reason.
std::optional<UnrecordedRegistration> ReadUnrecordedRegistration(const fs::path& settings) {
    const std::string name = SettingsName(settings);
    std::ifstream in(NotePath(name), std::ios::binary);
    std::string owner, when;
    UnrecordedRegistration note;
    if (!std::getline(in, owner) || owner != name || !std::getline(in, note.address) || !std::getline(in, when) ||
        !std::getline(in, note.reason))
        return std::nullopt;
    long long seconds = 0;
    const auto [end, error] = std::from_chars(when.data(), when.data() + when.size(), seconds);
    if (note.address.empty() || error != std::errc() || end != when.data() + when.size())
        return std::nullopt;
    note.when = static_cast<std::time_t>(seconds);
    return note;
}

void NoteUnrecordedRegistration(const fs::path& settings, const UnrecordedRegistration& registration) {
    const std::string name = SettingsName(settings);
    const fs::path path = NotePath(name);
    std::error_code error;
    if (fs::create_directories(path.parent_path(), error))
        fs::permissions(path.parent_path(), fs::perms::owner_all, error); // the user's alone
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << name << '\n'
        << registration.address << '\n'
        << static_cast<long long>(registration.when) << '\n'
        << registration.reason << '\n';
}

void ForgetUnrecordedRegistration(const fs::path& settings) {
    std::error_code ignored;
    fs::remove(NotePath(SettingsName(settings)), ignored);
}

} // namespace zelto
