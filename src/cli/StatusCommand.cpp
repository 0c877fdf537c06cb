#include "cli/StatusCommand.h"

#include "cli/Usage.h"
#include "config/PauseText.h"
#include "config/StatusReport.h"
#include "settings/SettingsFile.h"

#include <cstdio>
#include <ctime>
#include <vector>

namespace zelto {

namespace {

#ifdef _WIN32
// A new file gets its folder's access list, so a change does not make it private.
constexpr const char* kReadableByOthers = " (other users of this machine can read it)";
#else
constexpr const char* kReadableByOthers = " (readable by other users until the next change)";
#endif

// Before the first change the original client's file may stand in for the settings file: which one was read
// and which one others can read are then two files.
std::string FileState(const StatusReport& report) {
    if (report.readFrom != report.file)
        return " (not created yet; read from " + report.readFrom.string() +
               (report.readableByOthers ? ", which other users of this machine can read," : "") +
               " until the first change creates it)";
    return (report.fileExists ? "" : " (not created yet)") +
           std::string(report.readableByOthers ? kReadableByOthers : "");
}

std::string MethodLine(const StatusReport& report) {
    if (!report.storedMethod)
        return "not chosen yet (the dialog offers both; updates detect on the server side until one is saved)";
    std::string line = MethodDescription(report.method);
    if (*report.storedMethod < 0 || *report.storedMethod > 3)
        line += " (stored as " + std::to_string(*report.storedMethod) + ")";
    return line;
}

std::string IgnoredLine(const StatusReport& report) {
    std::string line;
    for (const std::string& address : report.ignored)
        line += (line.empty() ? "" : ", ") + address;
    return line.empty() ? "none" : line;
}

std::string RegistrationLine(const StatusReport& report) {
    const RecordedUpdate& record = report.registration;
    if (record.address.empty())
        return "none recorded";
    if (!report.registeredAt)
        return record.address + " (recorded time: hour '" + record.time.hour + "', day '" + record.time.day +
               "', year '" + record.time.year + "')";
    const RegistrationHour& at = *report.registeredAt;
    char when[64];
    if (report.registeredExactly) {
        std::tm local{};
        localtime_r(&*report.registeredExactly, &local);
        std::strftime(when, sizeof when, "%Y-%m-%d at %H:%M:%S", &local);
    } else {
        std::snprintf(when, sizeof when, "%04d-%02d-%02d, %02d:00-%02d:59", at.year, at.month, at.day, at.hour,
                      at.hour);
    }
    return record.address + " on " + when + " local time";
}

std::string HookLine(const StatusReport& report) {
    if (report.hook.empty())
        return "none";
    if (!report.hookRun)
        return report.hook + " (not run yet)";
    char when[32];
    std::tm local{};
    localtime_r(&report.hookRun->started, &local);
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
    return report.hook + " (last run " + when + ": " + HookEndText(report.hookRun->outcome) + ")";
}

} // namespace

std::string FailureWaitLine(const FailureWait& wait, std::time_t now, const std::string& program) {
    return "Waiting after failures: " + FailureWaitText(wait, now) + "; " + program + " --once --force sends now";
}

// The scheme says whether passwords cross the network in clear.
std::string UpdateServerLine(const StatusReport& report) {
    if (!report.secure)
        return report.updateServerUrl;
    return report.updateServerUrl + (report.caFile.empty() ? " (TLS, the system's trusted certificates)"
                                                           : " (TLS, certificates from " + report.caFile + ")");
}

int RunStatusCommand(const SettingsFile& settings, const Arguments& args, Console& console) {
    const bool json = args.size() == 1 && args[0] == "--json";
    if (!args.empty() && !json)
        return UsageError(console, "status takes only --json");
    const StatusReport report = GatherStatus(settings);
    if (json) {
        console.out << StatusJson(report) << '\n' << flush;
        return kExitDone;
    }
    std::vector<std::string> lines = {
        "Settings file: " + report.file.string() + FileState(report),
        "Domains: " + report.domainListText,
    };
    // Also while another process, the daemon, holds the pause: it lives in the settings file.
    for (const DomainStatus& domain : report.domains) {
        if (domain.copyOf)
            lines.push_back(domain.Name() + " is listed again as entry " + std::to_string(domain.number) +
                            " (first as entry " + std::to_string(*domain.copyOf) +
                            "): each update for it is sent once more");
        if (domain.pause)
            lines.push_back(PausedDomainText({domain.number, domain.entry, *domain.pause}, std::time(nullptr)));
        else if (domain.lastOutcome && domain.lastOutcome->result != RequestResult::Registered)
            lines.push_back(FailedDomainText(domain.Name(), *domain.lastOutcome, std::time(nullptr)));
    }
    if (report.failureWait)
        lines.push_back(FailureWaitLine(*report.failureWait, std::time(nullptr), console.program));
    if (report.unrecorded)
        lines.push_back("Unrecorded registration: " + UnrecordedText(*report.unrecorded, std::time(nullptr)));
    lines.insert(lines.end(), {
                                  "Address method: " + MethodLine(report),
                                  "Fixed address: " + report.fixedAddress +
                                      (report.fixedAddressUnreachable ? " (no one can reach it: nothing is sent)" : ""),
                                  "Ignored addresses: " + IgnoredLine(report),
                                  "Last registration: " + RegistrationLine(report),
                                  "Update server: " + UpdateServerLine(report),
                                  "Web site: http://" + report.webSite,
                                  "Hook: " + HookLine(report),
                              });
    for (const std::string& line : lines)
        console.out << PrintableText(line) << '\n';
    // The settings file was taken over, but the original is still where the original client left it.
    if (const std::string original = settings.ReadableOriginal().string(); !original.empty())
        console.out << PrintableText("Original client's file: " + original +
                                     " still holds the passwords, and every user of this machine can read it. Once "
                                     "the original client is no longer needed, delete it as administrator: del \"" +
                                     original + "\"")
                    << '\n';
    console.out << flush;
    return kExitDone;
}

} // namespace zelto
