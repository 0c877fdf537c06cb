#include "cli/StatusCommand.h"

#include "cli/Usage.h"
#include "config/DomainList.h"
#include "settings/SettingsFile.h"
#include "update/ClientSettings.h"
#include "update/ServiceEndpoints.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>

namespace zelto {

namespace {

#ifdef _WIN32
// A new file gets its folder's access list, so a change does not make it private.
constexpr const char* kReadableByOthers = " (other users of this machine can read it)";
#else
constexpr const char* kReadableByOthers = " (readable by other users until the next change)";
#endif

std::optional<int> Number(const std::string& text, std::size_t digits) {
    if (text.size() != digits || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

std::string MethodLine(const SettingsFile& settings) {
    const std::optional<int> stored = ClientSettingsView(settings).StoredMethodNumber();
    if (!stored)
        return "not chosen yet (the dialog offers both; updates detect on the server side until one is saved)";
    std::string line = MethodDescription(LoadDialogMethod(settings));
    if (*stored < 0 || *stored > 3)
        line += " (stored as " + std::to_string(*stored) + ")";
    return line;
}

std::string IgnoredLine(const SettingsFile& settings) {
    std::string line;
    for (const std::string& address : IgnoredAddresses(settings))
        line += (line.empty() ? "" : ", ") + address;
    return line.empty() ? "none" : line;
}

// The record keeps hour ("%H"), day of the year ("%j") and year ("%Y"); shown as a date and hour.
std::string RegistrationLine(const SettingsFile& settings) {
    const RecordedUpdate record = ClientSettingsView(settings).UpdateRecord();
    const std::string& address = record.address;
    const std::string& hourText = record.time.hour;
    const std::string& dayText = record.time.day;
    const std::string& yearText = record.time.year;
    if (address.empty())
        return "none recorded";
    const std::optional<int> hour = Number(hourText, 2);
    const std::optional<int> day = Number(dayText, 3);
    const std::optional<int> year = Number(yearText, 4);
    if (!hour || !day || !year || *hour > 23 || *day < 1 || *day > 366)
        return address + " (recorded time: hour '" + hourText + "', day '" + dayText + "', year '" + yearText + "')";
    std::tm date{};
    date.tm_year = *year - 1900;
    date.tm_mday = *day;
    date.tm_hour = 12;
    date.tm_isdst = -1;
    std::mktime(&date);
    char when[64];
    std::strftime(when, sizeof when, "%Y-%m-%d", &date);
    char hourRange[32];
    std::snprintf(hourRange, sizeof hourRange, "%02d:00-%02d:59", *hour, *hour);
    return address + " on " + when + ", " + hourRange + " local time";
}

// The scheme says whether passwords cross the network in clear.
std::string UpdateServerLine(const SettingsFile& settings) {
    const ServiceEndpoints endpoints(settings);
    std::string line = endpoints.UpdateServerUrl();
    const std::string caFile = endpoints.UpdateServerTrust().caFile;
    if (endpoints.UpdateServerSecure())
        line +=
            caFile.empty() ? " (TLS, the system's trusted certificates)" : " (TLS, certificates from " + caFile + ")";
    return line;
}

} // namespace

int RunStatusCommand(const SettingsFile& settings, const Arguments& args, Console& console) {
    if (!args.empty())
        return UsageError(console, "status takes no arguments");
    std::error_code ignored;
    const bool exists = std::filesystem::exists(settings.Path(), ignored);
    const std::string lines[] = {
        "Settings file: " + settings.Path().string() + (exists ? "" : " (not created yet)") +
            (settings.ReadableByOthers() ? kReadableByOthers : ""),
        "Domains: " + BuildDomainListText(settings),
        "Address method: " + MethodLine(settings),
        "Fixed address: " + LoadFixedAddress(settings).ToText(),
        "Ignored addresses: " + IgnoredLine(settings),
        "Last registration: " + RegistrationLine(settings),
        "Update server: " + UpdateServerLine(settings),
    };
    for (const std::string& line : lines)
        console.out << PrintableText(line) << '\n';
    // The settings file was taken over, but the original is still where the original client left it.
    if (const std::string original = settings.ReadableOriginal().string(); !original.empty())
        console.out << PrintableText("Original client's file: " + original +
                                     " still holds the passwords, and every user of this machine can read it. Once "
                                     "the original client is no longer needed, delete it as administrator: del \"" +
                                     original + "\"")
                    << '\n';
    console.out << std::flush;
    return kExitDone;
}

} // namespace zelto
