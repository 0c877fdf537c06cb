#include "update/UpdateCycle.h"

#include "platform/Clock.h"
#include "platform/HookRunner.h"
#include "platform/HttpSession.h"
#include "platform/SoundPlayer.h"
#include "schema/ClientSettings.h"
#include "schema/SettingsProblem.h"
#include "schema/UnrecordedRegistration.h"
#include "settings/SettingsFile.h"
#include "update/AddressDetection.h"
#include "update/AddressHook.h"
#include "update/EnginePorts.h"
#include "update/Notices.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateDecision.h"
#include "update/UpdateDomain.h"
#include "update/UpdateSchedule.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <random>
#include <string>
#include <utility>

namespace zelto {

namespace {

class StopSleeper : public Sleeper {
public:
    explicit StopSleeper(StopSignal& stop) : stop_(stop) {}
    bool Sleep(std::chrono::milliseconds duration) override {
        return stop_.WaitFor(duration) &&
               stop_.WaitForWake(std::chrono::milliseconds(0)) != StopSignal::WaitEnd::Stopped;
    }
    StopSignal::WaitEnd SleepUntilWoken(std::chrono::milliseconds duration) override {
        return stop_.WaitForWake(duration);
    }
    void Wake() override { stop_.Wake(); }

private:
    StopSignal& stop_;
};

struct DomainToSend {
    DomainEntry entry;
    // Read only for a complete entry:
    AddressMethod method = AddressMethod::Server;
    bool paused = false;
    bool stalePause = false; // stored for the entry as it was before a change
};

// The method and the pause are read with the entry, so that they come from one state of the file, in one
// look at it.
DomainToSend ReadDomain(const SettingsFile& file, int number) {
    SettingsFile::Lock lock(file);
    const ClientSettingsView settings(file);
    DomainToSend domain{settings.Domain(number)};
    if (domain.entry.Complete()) {
        domain.method = settings.EngineMethod();
        domain.paused = settings.Pause(number).has_value();
        domain.stalePause = !domain.paused && settings.PauseStored(number);
    }
    return domain;
}

// The platform's events reach the cycle while it runs.
class EventListening {
public:
    EventListening(SystemEvents* events, SystemEvents::Listener listener) : events_(events) {
        if (events_)
            events_->Listen(std::move(listener));
    }
    ~EventListening() {
        if (events_)
            events_->Unlisten();
    }
    EventListening(const EventListening&) = delete;
    EventListening& operator=(const EventListening&) = delete;

private:
    SystemEvents* events_;
};

// Tells the notices where a pass begins and ends, on every way out of it.
class PassLog {
public:
    explicit PassLog(Notices& notices) : notices_(notices) { notices_.PassBegins(); }
    ~PassLog() { notices_.PassEnded(); }
    PassLog(const PassLog&) = delete;
    PassLog& operator=(const PassLog&) = delete;

private:
    Notices& notices_;
};

// Seeded at the first failure: most runs never need it, and the seed costs a device read or a CPU query.
std::function<double()> SeededSpread() {
    auto generator = std::make_shared<std::optional<std::mt19937>>();
    return [generator] {
        if (!*generator)
            generator->emplace(std::random_device{}());
        return std::uniform_real_distribution<double>(0.0, 1.0)(**generator);
    };
}

} // namespace

struct UpdateCycle::Impl {
    Impl(EnginePorts& enginePorts, CycleTiming cycleTiming, Sleeper* given)
        : ports(enginePorts), timing(std::move(cycleTiming)), ownSleeper(stop), sleeper(given ? *given : ownSleeper),
          schedule(ports, timing.spread ? timing.spread : SeededSpread()) {}

    EnginePorts& ports;
    CycleTiming timing;
    StopSignal stop;
    StopSleeper ownSleeper;
    Sleeper& sleeper;
    std::unique_ptr<HttpSession> session;
    HttpTrust sessionTrust; // what `session` was opened with
    bool sessionFailureReported = false;
    std::atomic<bool> resumed{false}; // set by the event's thread, taken by the cycle's
    // Set when emptying the update record failed, so the first pass still happens.
    bool firstPassForced = false;
    UpdateSchedule schedule;
    // The settings problems last told, each once per change: one keeping the file from being read, one
    // keeping a registration from being recorded.
    SettingsProblem readProblemTold;
    SettingsProblem writeProblemTold;
    std::string unreachableTold; // the fixed address last told to be unreachable
    std::vector<int> pausedAtLastPass;
    std::vector<SentDomain> sentThisPass; // stored at the end of the pass, in one write
    // After each pass that registered a new address, the user's command runs here; RunOnce waits for it.
    HookRunner* hooks = ports.platform.hooks;
    std::chrono::milliseconds hookTimeout{30000};

    // One failure is reported per run of failures, not at every retry.
    bool EnsureSession(const ServiceEndpoints& endpoints) {
        // A changed "cafile" takes effect at the next pass, as every other setting does.
        const HttpTrust trust = endpoints.UpdateServerTrust();
        if (session && trust != sessionTrust)
            session.reset();
        if (!session) {
            session = ports.platform.http.Open(&stop, trust);
            sessionTrust = trust;
        }
        if (!session && !sessionFailureReported && !stop.Raised()) {
            ports.notices.LogExchange(endpoints.UpdateServerUrl(), ExchangeOutcome::NoSession,
                                      "no internet session; trying again before the next pass");
            sessionFailureReported = true;
        }
        if (session)
            sessionFailureReported = false;
        return session != nullptr;
    }

    // False when the record could not be emptied: the file did not take what this start knows.
    bool Start() {
        EnsureSession(ServiceEndpoints(ports.settings));
        ports.platform.sound.PlaySoundCue("INTROSOUND");
        // A start tries every domain again, paused or waiting: the user may have fixed what failed.
        ClientSettings(ports.settings).ClearPauses();
        schedule.EndFailureWait();
        schedule.Forget();
        // Empties the record so the first decision always finds a pass due.
        if (!ClientSettings(ports.settings).ClearUpdateRecord()) {
            firstPassForced = true;
            Tell(writeProblemTold, WriteProblem());
            return false;
        }
        return true;
    }

    static bool Same(const SettingsProblem& a, const SettingsProblem& b) {
        return a.error.fault == b.error.fault && a.error.file == b.error.file && a.error.reason == b.error.reason &&
               a.tooLargeCount == b.tooLargeCount;
    }

    void Tell(SettingsProblem& told, const SettingsProblem& problem) {
        if (Same(told, problem))
            return;
        told = problem;
        if (problem)
            ports.notices.ShowMessage(SettingsProblemText(problem));
    }

    SettingsProblem WriteProblem() const {
        SettingsError error = ports.settings.LastError();
        if (!error)
            error = {SettingsFault::WriteFailed, ports.settings.Path(), {}};
        return {std::move(error), {}, {}};
    }

    // Nothing of a file that cannot be read, or holds a count beyond the limit, is sent: not the built-in
    // server, not an empty list.
    bool SettingsUsable(PassReport& report) {
        report.settingsProblem = ClientSettingsView(ports.settings).Problem();
        Tell(readProblemTold, report.settingsProblem);
        return !report.settingsProblem;
    }

    bool Pause(std::chrono::milliseconds duration) {
        if (!sleeper.Sleep(duration)) {
            stop.Raise();
            return false;
        }
        return !stop.Raised();
    }

    // The poll, which a system event cuts short: the look comes after the settle, so that a burst of events
    // is one look.
    bool Poll() {
        switch (sleeper.SleepUntilWoken(timing.poll)) {
        case StopSignal::WaitEnd::Stopped:
            stop.Raise();
            return false;
        case StopSignal::WaitEnd::Woken:
            return Pause(timing.settle);
        case StopSignal::WaitEnd::TimeUp:
            break;
        }
        return !stop.Raised();
    }

    void TakeResume() {
        if (resumed.exchange(false))
            schedule.EndFailureWait();
    }

    // An entry added or changed since it was last sent, from any process (`domain add` beside a running
    // client), would otherwise wait for the hourly refresh: it makes a pass due at the next poll, unless a
    // wait after failures holds. Its outcome stored for the entry as it is says it was sent; the last pass
    // here says so too when that could not be stored, so a full disk never makes every poll a pass.
    bool NewEntryWaiting() {
        const SettingsFile::Lock lock(ports.settings);
        const ClientSettingsView view(ports.settings);
        if (const std::optional<FailureWait> wait = view.StoredFailureWait();
            wait && wait->until > ports.platform.clock.Now())
            return false;
        const int count = std::min(view.DomainCount(), ClientSettingsView::kMaxDomains);
        for (int number = 1; number <= count; ++number) {
            const DomainEntry entry = view.Domain(number);
            if (!entry.Complete() || view.LastOutcome(number) || view.Pause(number))
                continue;
            if (std::ranges::none_of(
                    sentThisPass, [&](const SentDomain& sent) { return sent.number == number && sent.entry == entry; }))
                return true;
        }
        return false;
    }

    // A paused entry that the user has changed since (from any process) is sent at the next poll.
    bool PassDue() {
        const bool lifted = std::ranges::any_of(
            pausedAtLastPass, [this](int number) { return !ClientSettingsView(ports.settings).Pause(number); });
        return std::exchange(firstPassForced, false) || lifted || NewEntryWaiting() || schedule.PassDue(&stop);
    }

    bool HasDomains() { return ClientSettingsView(ports.settings).DomainCount() != 0; }

    PassReport RunPass() {
        const PassLog log(ports.notices);
        PassReport report;
        pausedAtLastPass.clear();
        sentThisPass.clear();
        const std::string hookAddressBefore = hooks ? ClientSettingsView(ports.settings).HookAddress() : std::string();
        // The service would register it, and every name would point nowhere.
        if (FixedAddressUnreachable(ports.settings)) {
            const std::string address = FixedAddressText(ClientSettingsView(ports.settings));
            if (std::exchange(unreachableTold, address) != address)
                ports.notices.ShowMessage("The fixed address " + address +
                                          " is one no one can reach; nothing is sent until another is saved.");
            report.fixedUnreachable = true;
            return report;
        }
        unreachableTold.clear();
        schedule.PassStarting();
        const std::string requests = ClientSettingsView(ports.settings).RequestsFingerprint();
        // Read once: a change during the pass takes effect at the next one, host and trust together.
        const ServiceEndpoints endpoints(ports.settings);
        const bool connected = EnsureSession(endpoints);
        const int count = std::min(ClientSettingsView(ports.settings).DomainCount(), ClientSettingsView::kMaxDomains);
        // The service is the same for every domain: once a request got no answer at all, the others would
        // only wait for their own time-outs.
        for (int number = 1; number <= count && !stop.Raised() && report.unanswered == 0; ++number) {
            const DomainToSend domain = ReadDomain(ports.settings, number);
            const DomainEntry& entry = domain.entry;
            if (!entry.Complete()) {
                report.incomplete.push_back(number);
                continue;
            }
            if (domain.paused) {
                pausedAtLastPass.push_back(number);
                ++report.paused;
                continue;
            }
            // A pause stored for an entry that has changed since is lifted.
            if (domain.stalePause)
                ClientSettings(ports.settings).ClearPause(number);
            ++report.sent;
            std::optional<HttpFailure> unanswered;
            if (!connected)
                unanswered = HttpFailure::None;
            const DetectedAddress address = connected && domain.method != AddressMethod::Server
                                                ? DetectCurrentAddress(ports, endpoints, domain.method, &stop)
                                                : DetectedAddress{};
            if (address.unanswered)
                unanswered = address.unanswered;
            if (unanswered) {
                ++report.failed;
                ++report.unanswered;
                if (*unanswered != HttpFailure::Stopped)
                    sentThisPass.push_back(
                        {number, entry, {RequestResult::NoAnswer, *unanswered, 0, ports.platform.clock.Now()}});
                continue;
            }
            Count(number, entry, UpdateDomain(ports, *session, endpoints, number, entry, address.address), report);
        }
        ClientSettings(ports.settings).WriteOutcomes(sentThisPass);
        PassOutcome outcome;
        outcome.registered = report.registered > 0;
        outcome.failed = report.failed - report.refused;
        outcome.onlyUnanswered = report.unanswered == outcome.failed;
        outcome.cutShort = report.unanswered > 0;
        for (const SentDomain& sent : sentThisPass)
            if (sent.outcome.result == RequestResult::NoAnswer || sent.outcome.result == RequestResult::OtherAnswer)
                outcome.lastFailure = sent.outcome;
        outcome.requests = requests;
        schedule.PassDone(outcome);
        if (hooks && !stop.Raised())
            RunAddressHook(ports, *hooks, report.registeredNames, hookAddressBefore, hookTimeout);
        return report;
    }

    void Count(int number, const DomainEntry& entry, const DomainExchange& exchange, PassReport& report) {
        const RequestResult result = exchange.outcome.result;
        // Cut short by the stop: nothing learnt.
        if (exchange.outcome.failure != HttpFailure::Stopped)
            sentThisPass.push_back({number, entry, exchange.outcome});
        if (result == RequestResult::Registered) {
            // Noted outside the settings folder, so that status in another process can tell it.
            if (exchange.recordWritten) {
                Tell(writeProblemTold, {});
                ForgetUnrecordedRegistration(ports.settings.Path());
            } else {
                report.unrecorded = true;
                const SettingsProblem problem = WriteProblem();
                Tell(writeProblemTold, problem);
                NoteUnrecordedRegistration(ports.settings.Path(), {exchange.address, ports.platform.clock.Now(),
                                                                   SettingsProblemText(problem)});
            }
            ++report.registered;
            report.registeredNames.push_back(entry.domain + "." + entry.topLevel);
            return;
        }
        ++report.failed;
        report.unanswered += result == RequestResult::NoAnswer ? 1 : 0;
        // Paused by the exchange, which showed its message once.
        if (result == RequestResult::Refused) {
            ++report.refused;
            report.pausedNow.push_back(number);
            pausedAtLastPass.push_back(number);
        }
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
    const EventListening listening(cycle.ports.platform.events, [this](SystemEvent event) { OnSystemEvent(event); });
    while (!cycle.stop.Raised()) {
        cycle.TakeResume();
        if (!cycle.PassDue()) {
            if (!cycle.Poll())
                return;
            continue;
        }
        PassReport unused;
        if (cycle.SettingsUsable(unused) && cycle.HasDomains())
            cycle.RunPass();
        if (!cycle.Pause(cycle.timing.rest))
            return;
    }
}

PassReport UpdateCycle::RunOnce(bool force) {
    Impl& cycle = *impl_;
    if (cycle.stop.Raised())
        return {};
    cycle.schedule.OnePassOnly();
    PassReport refused;
    if (!cycle.SettingsUsable(refused))
        return refused;
    const bool emptied = !force || cycle.Start();
    if (!cycle.PassDue() || !cycle.HasDomains()) {
        PassReport none;
        const std::optional<FailureWait> wait = ClientSettingsView(cycle.ports.settings).StoredFailureWait();
        none.waited = wait && wait->until > cycle.ports.platform.clock.Now();
        return none;
    }
    PassReport report = cycle.RunPass();
    // A record the start could not empty is one the file did not take, even when the pass found nothing to
    // write.
    report.unrecorded = report.unrecorded || !emptied;
    if (cycle.hooks)
        cycle.hooks->EndAll(cycle.hookTimeout);
    return report;
}

void UpdateCycle::RequestStop() {
    impl_->stop.Raise();
}

void UpdateCycle::OnSystemEvent(SystemEvent event) {
    if (event == SystemEvent::Resumed)
        impl_->resumed = true;
    impl_->sleeper.Wake();
}

} // namespace zelto
