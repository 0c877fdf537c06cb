#include "cli/StatusCommand.h"

#include "cli/ServiceCommands.h"
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

} // namespace

int RunStatusCommand(const SettingsFile& settings, const Arguments& args, Console& console) {
    if (!args.empty())
        return UsageError(console, "status takes no arguments");
    std::error_code ignored;
    const bool exists = std::filesystem::exists(settings.Path(), ignored);
    const std::string lines[] = {
        "Settings file: " + settings.Path().string() + (exists ? "" : " (not created yet)") +
            (settings.ReadableByOthers() ? " (readable by other users until the next change)" : ""),
        "Domains: " + BuildDomainListText(settings),
        "Address method: " + MethodLine(settings),
        "Fixed address: " + LoadFixedAddress(settings).ToText(),
        "Ignored addresses: " + IgnoredLine(settings),
        "Last registration: " + RegistrationLine(settings),
        "Update server: " + UpdateServerDescription(settings),
        "Web site: " + ServiceEndpoints(settings).HomePage(),
    };
    for (const std::string& line : lines)
        console.out << PrintableText(line) << '\n';
    console.out << std::flush;
    return kExitDone;
}

} // namespace zelto
