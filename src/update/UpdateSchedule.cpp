#include "update/UpdateSchedule.h"

#include "platform/Clock.h"
#include "schema/ClientSettings.h"
#include "update/AddressDetection.h"
#include "update/EnginePorts.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateDecision.h"

#include <algorithm>
#include <iterator>

namespace zelto {

namespace {

using namespace std::chrono_literals;

// The service's address check, behind address translation: at most once in this many seconds.
constexpr std::time_t kCheckInterval = 300;
// The waits after 1, 2, 3, ... failed passes in a row; the last one holds from then on.
constexpr std::chrono::seconds kFailureWaits[] = {30s, 60s, 120s, 240s, 480s, 960s, 1800s};
// When nothing answered at all (the network is down), the client is quick once it is back.
constexpr std::chrono::seconds kUnansweredCeiling = 300s;
constexpr int kMaxCountedFailures = 99;

// Within five minutes of a check or a registration (here, or a check by another process) nothing is asked;
// a clock set back does not hold the check back.
bool Recent(std::optional<std::time_t> when, std::time_t now) {
    return when && now >= *when && now - *when < kCheckInterval;
}

} // namespace

UpdateSchedule::UpdateSchedule(EnginePorts& ports, std::function<double()> spread)
    : ports_(ports), spread_(std::move(spread)) {}

std::chrono::seconds UpdateSchedule::FailureWaitFor(int failures, bool onlyUnanswered) {
    const auto step = static_cast<std::size_t>(std::clamp(failures, 1, static_cast<int>(std::size(kFailureWaits))) - 1);
    return onlyUnanswered ? std::min(kFailureWaits[step], kUnansweredCeiling) : kFailureWaits[step];
}

void UpdateSchedule::Forget() {
    registeredWith_.reset();
    failedWith_.reset();
    registeredAt_.reset();
}

void UpdateSchedule::EndFailureWait() {
    ClientSettings(ports_.settings).ClearFailureWait();
    failedWith_.reset();
}

bool UpdateSchedule::PassDue(const StopSignal* stop) {
    const std::time_t now = ports_.platform.clock.Now();
    const ClientSettingsView view(ports_.settings);
    if (view.FailureWaitStored()) {
        const std::optional<FailureWait> wait = view.StoredFailureWait();
        // The user changed what shapes the requests, or a new network came: the pass it held back is made now.
        if (!wait || (now < wait->until && failedWith_ && ListClientAddresses(ports_) != *failedWith_)) {
            EndFailureWait();
            return true;
        }
        // The wait is over: the pass that failed is made again, whatever the record says.
        return now >= wait->until;
    }
    std::vector<std::string> addresses;
    switch (JudgeRecord(ports_, &addresses)) {
    case RecordState::Current:
        return false;
    case RecordState::NotOwnAddress:
        return BehindTranslationDue(addresses, now, stop);
    case RecordState::Due:
        break;
    }
    return true;
}

bool UpdateSchedule::BehindTranslationDue(const std::vector<std::string>& addresses, std::time_t now,
                                          const StopSignal* stop) {
    const ClientSettingsView settings(ports_.settings);
    const std::string recorded = settings.UpdateRecord().address;
    // A fixed address that is registered needs no check.
    if (settings.EngineMethod() == AddressMethod::Fixed && recorded == FixedAddressText(settings))
        return false;
    if (registeredWith_ && addresses != *registeredWith_)
        return true;
    if (Recent(registeredAt_, now) || Recent(settings.LastAddressCheck(), now))
        return false;
    ClientSettings(ports_.settings).WriteAddressCheck(now);
    // No answer confirms nothing, and sends nothing either: the next check comes at the next mark.
    const std::optional<std::string> seen = CheckAddressWithService(ports_, ServiceEndpoints(ports_.settings), stop);
    return seen && *seen != recorded;
}

// The addresses a pass registered or failed with are those it began with: a change while it ran is then one
// the next decision sees.
void UpdateSchedule::PassStarting() {
    if (remembers_)
        passStartedWith_ = ListClientAddresses(ports_);
}

void UpdateSchedule::PassDone(const PassOutcome& outcome) {
    const std::time_t now = ports_.platform.clock.Now();
    ClientSettings settings(ports_.settings);
    if (outcome.registered) {
        if (remembers_)
            registeredWith_ = passStartedWith_;
        registeredAt_ = now; // the answer just told the address the service sees
    }
    // A pass cut short left domains unsent, so it failed whatever the others got.
    if (outcome.failed == 0 || (outcome.registered && !outcome.cutShort)) {
        EndFailureWait();
        return;
    }
    const std::optional<FailureWait> stored = settings.StoredFailureWait();
    if (!stored && remembers_)
        failedWith_ = passStartedWith_;
    const int failures = std::min(stored ? stored->failures + 1 : 1, kMaxCountedFailures);
    // About 10 % either way, so that many clients do not come back at the same second.
    const double seconds =
        static_cast<double>(FailureWaitFor(failures, outcome.onlyUnanswered).count()) * (0.9 + 0.2 * spread_());
    // Rounded to the nearest second (the wait is positive).
    settings.WriteFailureWait({failures, now + static_cast<std::time_t>(seconds + 0.5), outcome.lastFailure},
                              outcome.requests);
}

} // namespace zelto
