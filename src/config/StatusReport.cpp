#include "config/StatusReport.h"

#include "config/AddressMethod.h"
#include "config/DomainList.h"
#include "settings/SettingsFile.h"
#include "update/AddressDetection.h"
#include "update/ServiceEndpoints.h"

#include <algorithm>
#include <system_error>

namespace zelto {

namespace {

std::optional<int> Number(const std::string& text, std::size_t digits) {
    if (text.size() != digits || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

// The record keeps hour ("%H"), day of the year ("%j") and year ("%Y"); the month and day follow from them.
std::optional<RegistrationHour> ReadHour(const LocalStamp& stamp) {
    const std::optional<int> hour = Number(stamp.hour, 2);
    const std::optional<int> day = Number(stamp.day, 3);
    const std::optional<int> year = Number(stamp.year, 4);
    if (!hour || !day || !year || *hour > 23 || *day < 1 || *day > 366)
        return std::nullopt;
    std::tm date{};
    date.tm_year = *year - 1900;
    date.tm_mday = *day;
    date.tm_hour = 12;
    date.tm_isdst = -1;
    std::mktime(&date);
    return RegistrationHour{date.tm_year + 1900, date.tm_mon + 1, date.tm_mday, *hour, *day};
}

} // namespace

StatusReport GatherStatus(const SettingsFile& settings) {
    // One state of the file for every fact below.
    const SettingsFile::Lock lock(settings);
    const ClientSettingsView view(settings);
    const ServiceEndpoints endpoints(settings);
    StatusReport report;
    report.file = settings.Path();
    report.readFrom = settings.ReadSource();
    std::error_code ignored;
    report.fileExists = std::filesystem::exists(settings.Path(), ignored);
    report.readableByOthers = settings.ReadableByOthers();
    report.updateServerUrl = endpoints.UpdateServerUrl();
    report.secure = endpoints.UpdateServerSecure();
    report.caFile = view.CaFile();
    report.webSite = endpoints.WebSite();
    report.storedMethod = view.StoredMethodNumber();
    report.method = view.EngineMethod();
    report.fixedAddress = LoadFixedAddress(settings).ToText();
    report.fixedAddressUnreachable = FixedAddressUnreachable(settings);
    report.ignored = view.IgnoredAddresses();
    report.registration = view.UpdateRecord();
    report.registeredAt = ReadHour(report.registration.time);
    report.hook = view.Hook();
    report.hookRun = view.LastHookRun();
    if (const std::optional<std::time_t> exact = report.registration.exactTime) {
        const LocalStamp stamp = FormatLocalStamp(*exact);
        const LocalStamp& kept = report.registration.time;
        if (stamp.hour == kept.hour && stamp.day == kept.day && stamp.year == kept.year)
            report.registeredExactly = exact;
    }
    const std::vector<DomainEntry> entries = view.Domains();
    for (int number = 1; number <= static_cast<int>(entries.size()); ++number) {
        const DomainEntry& entry = entries[static_cast<std::size_t>(number) - 1];
        const auto first = std::find_if(entries.begin(), entries.end(),
                                        [&](const DomainEntry& earlier) { return SameDomainLabels(earlier, entry); });
        const int firstNumber = static_cast<int>(first - entries.begin()) + 1;
        report.domains.push_back({number, entry, view.Pause(number), view.LastOutcome(number),
                                  firstNumber < number ? std::optional(firstNumber) : std::nullopt});
    }
    report.domainListText = BuildDomainListText(settings);
    report.failureWait = view.StoredFailureWait();
    report.unrecorded = ReadUnrecordedRegistration(settings.Path());
    return report;
}

bool RegisteredWithinAnHour(const StatusReport& report, std::time_t now) {
    if (report.registration.address.empty() || !report.registeredAt)
        return false;
    for (const std::time_t when : {now, now - 3600}) {
        const LocalStamp stamp = FormatLocalStamp(when);
        if (stamp.hour == report.registration.time.hour && stamp.day == report.registration.time.day &&
            stamp.year == report.registration.time.year)
            return true;
    }
    return false;
}

} // namespace zelto
