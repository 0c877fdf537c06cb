#include "config/EndpointSettings.h"

#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace zelto {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

// A host name or IPv4 address, with an optional port: what a request's Host header and connection can use.
bool IsHostAndPort(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::string_view host = text.substr(0, colon);
    const bool hostFine = !host.empty() && host.front() != '-' && host.front() != '.' &&
                          std::all_of(host.begin(), host.end(), [](char c) {
                              return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
                          });
    if (!hostFine || colon == std::string_view::npos)
        return hostFine;
    const std::string_view port = text.substr(colon + 1);
    if (port.empty() || port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int number = std::stoi(std::string(port));
    return number >= 1 && number <= 65535;
}

ServiceValueProblem Written(bool written) {
    return written ? ServiceValueProblem::None : ServiceValueProblem::WriteFailed;
}

} // namespace

ServiceValueProblem SetUpdateServer(SettingsFile& settings, std::string_view value) {
    if (value.size() > SettingsFile::kMaxTextLength)
        return ServiceValueProblem::TooLong;
    std::string_view host = value;
    if (StartsWithNoCase(host, "https://"))
        host.remove_prefix(8);
    else if (StartsWithNoCase(host, "http://"))
        host.remove_prefix(7);
    else if (host.find("://") != std::string_view::npos)
        return ServiceValueProblem::BadScheme;
    if (host.ends_with('/'))
        host.remove_suffix(1);
    if (!value.empty() && !IsHostAndPort(host))
        return ServiceValueProblem::BadHost;
    return Written(ClientSettings(settings).WriteUpdateServer(value));
}

ServiceValueProblem SetWebSite(SettingsFile& settings, std::string_view value) {
    if (value.size() > SettingsFile::kMaxTextLength)
        return ServiceValueProblem::TooLong;
    if (value.find("://") != std::string_view::npos)
        return ServiceValueProblem::BadScheme;
    if (!value.empty() && !IsHostAndPort(value))
        return ServiceValueProblem::BadHost;
    return Written(ClientSettings(settings).WriteWebSite(value));
}

ServiceValueProblem SetCaFile(SettingsFile& settings, std::string_view path) {
    std::string stored;
    if (!path.empty()) {
        // Stored absolute: the desktop client and the service start in other folders than the command.
        std::error_code ignored;
        const std::filesystem::path given(std::u8string(path.begin(), path.end()));
        const std::u8string absolute = std::filesystem::absolute(given, ignored).lexically_normal().u8string();
        stored.assign(absolute.begin(), absolute.end());
    }
    if (stored.size() > SettingsFile::kMaxTextLength)
        return ServiceValueProblem::TooLong;
    if (!stored.empty()) {
        std::ifstream file{std::filesystem::path(std::u8string(stored.begin(), stored.end())), std::ios::binary};
        if (!file)
            return ServiceValueProblem::CaFileMissing;
        // Enough for the system's whole bundle; a device that never ends is not read for ever.
        std::string content(4 * 1024 * 1024, '\0');
        file.read(content.data(), static_cast<std::streamsize>(content.size()));
        content.resize(static_cast<std::size_t>(file.gcount()));
        if (content.find("-----BEGIN CERTIFICATE-----") == std::string::npos)
            return ServiceValueProblem::CaFileNotPem;
    }
    return Written(ClientSettings(settings).WriteCaFile(stored));
}

ServiceValueProblem SetHook(SettingsFile& settings, std::string_view path) {
    if (path.size() > SettingsFile::kMaxTextLength)
        return ServiceValueProblem::TooLong;
    if (!path.empty()) {
        const std::filesystem::path file(std::u8string(path.begin(), path.end()));
        std::error_code ignored;
        if (!file.is_absolute())
            return ServiceValueProblem::NotAbsolute;
        if (!std::filesystem::is_regular_file(file, ignored))
            return ServiceValueProblem::NotAFile;
    }
    return Written(ClientSettings(settings).WriteHook(path));
}

std::string ServiceValueProblemText(ServiceValueProblem problem, std::string_view key) {
    const std::string name(key);
    switch (problem) {
    case ServiceValueProblem::None:
        return {};
    case ServiceValueProblem::TooLong:
        return name + " holds at most 68 characters";
    case ServiceValueProblem::BadScheme:
        return name == SettingsKeys::kUpdateServer ? name + " takes http:// or https:// or no scheme"
                                                   : name + " takes a host without a scheme";
    case ServiceValueProblem::BadHost:
        return name + " must be a host name or address, with an optional :port (1-65535)";
    case ServiceValueProblem::CaFileMissing:
        return "the file for " + name + " cannot be read";
    case ServiceValueProblem::CaFileNotPem:
        return "the file for " + name + " holds no PEM certificate";
    case ServiceValueProblem::NotAbsolute:
        return name + " takes an absolute path";
    case ServiceValueProblem::NotAFile:
        return "the file for " + name + " is not there";
    case ServiceValueProblem::WriteFailed:
        break;
    }
    return "the settings file could not be written";
}

} // namespace zelto
