#include "cli/UpdateCommands.h"

#include "cli/SignalWatch.h"
#include "cli/StatusCommand.h"
#include "cli/Usage.h"
#include "config/AnotherClientText.h"
#include "config/FreshIpUpdate.h"
#include "config/PauseText.h"
#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/StopSignal.h"
#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"
#include "update/EnginePorts.h"
#include "update/PrintableText.h"
#include "update/UpdateCycle.h"
#include "update/UpdateCycleThread.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace zelto {

namespace {

// A configured entry that was skipped is a broken configuration, no domain at all registered nothing, and a
// paused domain or a wait after failures waits for the user or the service: none is a success for a
// scheduler or a monitoring check. A paused domain is named at every run but the one whose answer paused it,
// which showed the service's message.
int ReportPass(const SettingsFile& settings, const PassReport& report, std::time_t now, Console& console) {
    // The notices have named the file and the reason.
    if (report.settingsProblem)
        return kExitRefused;
    for (const int number : report.incomplete)
        console.err << "Domain entry " << std::to_string(number) << " is incomplete and was skipped.\n";
    const SettingsFile::Lock lock(settings); // the count and the pauses as one state of the file
    const ClientSettingsView view(settings);
    const bool none = report.sent == 0 && report.incomplete.empty() && view.DomainCount() <= 0;
    if (none)
        console.err << "No Domains Loaded!\n";
    const std::vector<PausedDomain> paused = view.PausedDomains();
    for (const PausedDomain& domain : paused)
        if (std::ranges::find(report.pausedNow, domain.number) == report.pausedNow.end())
            console.err << PrintableText(PausedDomainText(domain, now)) << '\n';
    const std::optional<FailureWait> wait = report.waited ? view.StoredFailureWait() : std::nullopt;
    if (wait)
        console.err << console.program << ": " << PrintableText(FailureWaitLine(*wait, now, console.program)) << '\n';
    console.err << flush;
    const bool clean = report.failed == 0 && !report.unrecorded && !report.fixedUnreachable && !report.waited &&
                       report.incomplete.empty() && !none && paused.empty();
    return clean ? kExitDone : kExitRefused;
}

} // namespace

int RunHeadless(SettingsFile& settings, HeadlessMode mode, const PlatformPorts& platform, Console& console) {
    // A second client would send every update twice, and --once beside a running client too.
    const InstanceLock instance(settings.Path(), ClientKind::Headless);
    if (instance.Result() == InstanceLock::Claim::HeldElsewhere) {
        console.err << console.program << ": " << PrintableText(AnotherClientText(settings.Path(), instance.Holder()))
                    << '\n'
                    << flush;
        return kExitRefused;
    }
    ConsoleNotices notices(console);
    EnginePorts ports{settings, platform, notices};
    UpdateCycle cycle(ports);

    StopSignal quit;
    const SignalWatch watch([&] {
        cycle.RequestStop();
        quit.Raise();
    });

    if (mode != HeadlessMode::Cycle) {
        const PassReport report = cycle.RunOnce(mode == HeadlessMode::OnceForced);
        if (watch.Caught()) {
            console.err << console.program << ": stopped before the pass ended\n" << flush;
            return kExitRefused;
        }
        return ReportPass(settings, report, platform.clock.Now(), console);
    }

    // Said once: the cycle picks up a domain added later by itself.
    if (ClientSettingsView(settings).DomainCount() <= 0)
        console.err << "No Domains Loaded! Waiting for one: " << console.program
                    << " domain add DOMAIN TOPLEVEL adds it.\n"
                    << flush;
    UpdateCycleThread thread(cycle);
    thread.Start();
    while (quit.WaitFor(std::chrono::hours(1))) {
    }
    thread.Stop();
    return kExitDone;
}

void RunUpdateCycleUntil(SettingsFile& settings, const PlatformPorts& platform, Notices& notices, StopSignal& stop) {
    EnginePorts ports{settings, platform, notices};
    UpdateCycle cycle(ports);
    UpdateCycleThread thread(cycle);
    thread.Start();
    while (stop.WaitFor(std::chrono::hours(1))) {
    }
    thread.Stop();
}

int RunForceUpdate(SettingsFile& settings, const PlatformPorts& platform, Console& console) {
    const FreshIpUpdateOutcome outcome = RunFreshIpUpdate(settings, platform.http, platform.sound);
    console.out << outcome.message << '\n' << flush;
    return outcome.success ? kExitDone : kExitRefused;
}

} // namespace zelto
