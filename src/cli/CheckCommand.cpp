#include "cli/CheckCommand.h"

#include "cli/Usage.h"
#include "config/PauseText.h"
#include "config/StatusReport.h"

#include <cstdio>
#include <ctime>

namespace zelto {

namespace {

const char* HealthWord(Health health) {
    switch (health) {
    case Health::Ok:
        return "OK";
    case Health::Warning:
        return "WARNING";
    case Health::Critical:
        return "CRITICAL";
    case Health::Unknown:
        break;
    }
    return "UNKNOWN";
}

std::string Names(const StatusReport& report) {
    std::string names;
    for (const DomainStatus& domain : report.domains)
        names += (names.empty() ? "" : ", ") + domain.Name();
    return names;
}

// "on 2026-12-08 at 12:15:03" when this client made the record, "on 2026-12-08 at 12:00" for the hour another
// client recorded; without the date for a registration of this hour or the one before.
std::string When(const StatusReport& report, bool withDate) {
    if (!report.registeredAt)
        return "at an unreadable time";
    char when[48];
    if (report.registeredExactly) {
        std::tm local{};
        localtime_r(&*report.registeredExactly, &local);
        std::strftime(when, sizeof when, withDate ? "on %Y-%m-%d at %H:%M:%S" : "at %H:%M:%S", &local);
        return when;
    }
    const RegistrationHour& at = *report.registeredAt;
    if (withDate)
        std::snprintf(when, sizeof when, "on %04d-%02d-%02d at %02d:00", at.year, at.month, at.day, at.hour);
    else
        std::snprintf(when, sizeof when, "at %02d:00", at.hour);
    return when;
}

} // namespace

HealthVerdict JudgeHealth(const StatusReport& report, std::time_t now) {
    if (report.domains.empty())
        return {Health::Critical, "no domain is configured"};
    std::string paused;
    for (const DomainStatus& domain : report.domains) {
        if (domain.pause)
            paused +=
                (paused.empty() ? "" : ", ") + domain.Name() + " paused: " + PauseReasonText(domain.pause->reason);
    }
    if (!paused.empty())
        return {Health::Critical, paused};
    if (report.fixedAddressUnreachable)
        return {Health::Critical,
                "the fixed address " + report.fixedAddress + " is one no one can reach; nothing is sent"};
    // Failing passes are a warning while the records still hold, critical once they are stale.
    if (report.failureWait)
        return {RegisteredWithinAnHour(report, now) ? Health::Warning : Health::Critical,
                Names(report) + ": waiting after failures: " + FailureWaitText(*report.failureWait, now)};
    // The service holds the address, but the file does not: the next start or pass cannot know it.
    if (report.unrecorded)
        return {Health::Warning, Names(report) + ": " + UnrecordedText(*report.unrecorded, now)};
    const std::string& address = report.registration.address;
    if (address.empty())
        return {Health::Warning, Names(report) + ": no registration recorded"};
    if (!RegisteredWithinAnHour(report, now))
        return {Health::Warning, Names(report) + ": last registered " + address + " " + When(report, true)};
    return {Health::Ok, Names(report) + " registered " + address + " " + When(report, false)};
}

std::string HealthLine(const HealthVerdict& verdict) {
    return std::string("ZELTO ") + HealthWord(verdict.health) + " - " + verdict.why;
}

int RunCheckCommand(const SettingsFile& settings, const Arguments& args, Console& console) {
    if (!args.empty())
        return UsageError(console, "check takes no arguments");
    const HealthVerdict verdict = JudgeHealth(GatherStatus(settings), std::time(nullptr));
    console.out << PrintableText(HealthLine(verdict)) << '\n' << flush;
    return static_cast<int>(verdict.health);
}

} // namespace zelto
