#include "update/UpdateCycle.h"

#include "platform/HookRunner.h"
#include "platform/HttpSession.h"
#include "platform/Notices.h"
#include "platform/SoundPlayer.h"
#include "settings/SettingsFile.h"
#include "update/AddressDetection.h"
#include "update/AddressHook.h"
#include "update/ClientSettings.h"
#include "update/EnginePorts.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateAnswer.h"
#include "update/UpdateDecision.h"
#include "update/UpdateDomain.h"

#include <algorithm>
#include <string>
#include <utility>

namespace zelto {

namespace {

class StopSleeper : public Sleeper {
public:
    explicit StopSleeper(StopSignal& stop) : stop_(stop) {}
    bool Sleep(std::chrono::milliseconds duration) override { return stop_.WaitFor(duration); }

private:
    StopSignal& stop_;
};

struct DomainToSend {
    DomainEntry entry;
    AddressMethod method = AddressMethod::Server; // read only for a complete entry
};

// The method is read with the entry, so that the pair comes from one state of the file.
DomainToSend ReadDomain(const SettingsFile& file, int number) {
    SettingsFile::Lock lock(file);
    const ClientSettingsView settings(file);
    DomainToSend domain{settings.Domain(number)};
    if (domain.entry.Complete())
        domain.method = settings.EngineMethod();
    return domain;
}

} // namespace

struct UpdateCycle::Impl {
    Impl(EnginePorts& enginePorts, CycleTiming cycleTiming, Sleeper* given)
        : ports(enginePorts), timing(cycleTiming), ownSleeper(stop), sleeper(given ? *given : ownSleeper) {}

    EnginePorts& ports;
    CycleTiming timing;
    StopSignal stop;
    StopSleeper ownSleeper;
    Sleeper& sleeper;
    std::unique_ptr<HttpSession> session;
    HttpTrust sessionTrust; // what `session` was opened with
    bool sessionFailureReported = false;
    // Set when emptying the update record failed, so the first pass still happens.
    bool firstPassForced = false;
    // After each pass that registered a new address, the user's command runs here; RunOnce waits for it.
    HookRunner* hooks = ports.platform.hooks;
    std::chrono::milliseconds hookTimeout{30000};

    void Report(ExchangeOutcome outcome, const std::string& problem) {
        ports.notices.LogExchange(ServiceEndpoints(ports.settings).UpdateServerUrl(), outcome, problem);
    }

    // One failure is reported per run of failures, not at every retry.
    bool EnsureSession() {
        // A changed "cafile" takes effect at the next pass, as every other setting does.
        const HttpTrust trust = ServiceEndpoints(ports.settings).UpdateServerTrust();
        if (session && trust != sessionTrust)
            session.reset();
        if (!session) {
            session = ports.platform.http.Open(&stop, trust);
            sessionTrust = trust;
        }
        if (!session && !sessionFailureReported && !stop.Raised()) {
            Report(ExchangeOutcome::NoSession, "no internet session; trying again before the next pass");
            sessionFailureReported = true;
        }
        if (session)
            sessionFailureReported = false;
        return session != nullptr;
    }

    void Start() {
        EnsureSession();
        ports.platform.sound.PlaySoundCue("INTROSOUND");
        // Empties the record so the first decision always finds a pass due.
        if (!ClientSettings(ports.settings).ClearUpdateRecord()) {
            firstPassForced = true;
            Report(ExchangeOutcome::SettingsNotWritten, "could not empty " +
                                                            std::string(SettingsKeys::kRecordedAddress) + " in " +
                                                            ports.settings.Path().string());
        }
    }

    bool Pause(std::chrono::milliseconds duration) {
        if (!sleeper.Sleep(duration)) {
            stop.Raise();
            return false;
        }
        return !stop.Raised();
    }

    bool PassDue() {
        const bool due = IsUpdateDue(ports);
        return std::exchange(firstPassForced, false) || due;
    }

    bool HasDomains() { return ClientSettingsView(ports.settings).DomainCount() != 0; }

    PassReport RunPass() {
        PassReport report;
        const bool connected = EnsureSession();
        const int stored = ClientSettingsView(ports.settings).DomainCount();
        if (stored > ClientSettingsView::kMaxDomains)
            Report(ExchangeOutcome::DomainsLeftOut, std::string(SettingsKeys::kDomainCount) + " is " +
                                                        std::to_string(stored) + "; only domains 1 to 999 are sent");
        const int count = std::min(stored, ClientSettingsView::kMaxDomains);
        for (int number = 1; number <= count && !stop.Raised(); ++number) {
            const DomainToSend domain = ReadDomain(ports.settings, number);
            const DomainEntry& entry = domain.entry;
            if (!entry.Complete()) {
                report.incomplete.push_back(number);
                continue;
            }
            ++report.sent;
            if (!connected) {
                ++report.failed;
                continue;
            }
            const std::string address =
                domain.method != AddressMethod::Server ? DetectCurrentAddress(ports, &stop) : std::string();
            const DomainExchange exchange =
                UpdateDomain(ports, *session, entry.topLevel, entry.domain, entry.password, address);
            if (exchange.obtained && ClassifyAnswer(exchange.line) == UpdateAnswer::Registered &&
                IsRecordableAddress(RegisteredAddress(exchange.line))) {
                ++report.registered;
                report.registeredNames.push_back(entry.domain + "." + entry.topLevel);
            } else {
                ++report.failed;
            }
        }
        if (hooks && !stop.Raised())
            RunAddressHook(ports, *hooks, report.registeredNames, hookTimeout);
        return report;
    }
};

UpdateCycle::UpdateCycle(EnginePorts& ports, CycleTiming timing, Sleeper* sleeper)
    : impl_(std::make_unique<Impl>(ports, timing, sleeper)) {}

// The hook's callbacks write to the notices, which go away with the cycle's owner.
UpdateCycle::~UpdateCycle() {
    if (impl_->hooks)
        impl_->hooks->EndAll(std::chrono::milliseconds(0));
}

// A stopped thread stays stopped: running it again changes nothing.
void UpdateCycle::RunUpdateCycle() {
    Impl& cycle = *impl_;
    if (cycle.stop.Raised())
        return;
    cycle.Start();
    while (!cycle.stop.Raised()) {
        if (!cycle.PassDue()) {
            if (!cycle.Pause(cycle.timing.poll))
                return;
            continue;
        }
        if (cycle.HasDomains())
            cycle.RunPass();
        if (!cycle.Pause(cycle.timing.rest))
            return;
    }
}

PassReport UpdateCycle::RunOnce() {
    Impl& cycle = *impl_;
    if (cycle.stop.Raised())
        return {};
    cycle.Start();
    if (!cycle.PassDue() || !cycle.HasDomains())
        return {};
    const PassReport report = cycle.RunPass();
    if (cycle.hooks)
        cycle.hooks->EndAll(cycle.hookTimeout);
    return report;
}

void UpdateCycle::RequestStop() {
    impl_->stop.Raise();
}

} // namespace zelto
