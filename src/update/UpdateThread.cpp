#include "update/UpdateThread.h"

#include "platform/HttpSession.h"
#include "platform/Notices.h"
#include "platform/SoundPlayer.h"
#include "settings/SettingsFile.h"
#include "update/AddressDetection.h"
#include "update/EnginePorts.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateAnswer.h"
#include "update/UpdateDecision.h"
#include "update/UpdateDomain.h"

#include <algorithm>
#include <stop_token>
#include <string>
#include <utility>

namespace zelto {

namespace {

// Domain entry numbers have at most three digits.
constexpr int kMaxDomainNumber = 999;

class StopSleeper : public Sleeper {
public:
    explicit StopSleeper(StopSignal& stop) : stop_(stop) {}
    bool Sleep(std::chrono::milliseconds duration) override { return stop_.WaitFor(duration); }

private:
    StopSignal& stop_;
};

struct DomainKeys {
    std::string password;
    std::string firstLevel;
    std::string secondLevel;
    int method = 0; // "ipmethod", read only for a complete entry

    bool Complete() const { return !password.empty() && !firstLevel.empty() && !secondLevel.empty(); }
};

// Read together so a removal in the Properties dialog cannot hand us half of two entries.
DomainKeys ReadDomain(const SettingsFile& settings, int number) {
    SettingsFile::Lock lock(settings);
    DomainKeys keys;
    keys.password = settings.ReadText(IndexedKey("password", number));
    keys.firstLevel = settings.ReadText(IndexedKey("first_level", number));
    keys.secondLevel = settings.ReadText(IndexedKey("second_level", number));
    if (keys.Complete())
        keys.method = settings.ReadInt("ipmethod", 0);
    return keys;
}

} // namespace

struct CUpdateThread::Impl {
    Impl(EnginePorts& enginePorts, CycleTiming cycleTiming, Sleeper* given)
        : ports(enginePorts), timing(cycleTiming), ownSleeper(stop), sleeper(given ? *given : ownSleeper) {}

    EnginePorts& ports;
    CycleTiming timing;
    StopSignal stop;
    StopSleeper ownSleeper;
    Sleeper& sleeper;
    std::unique_ptr<HttpSession> session;
    bool sessionFailureReported = false;
    // Set when emptying "updatedip" failed, so the first pass still happens.
    bool firstPassForced = false;

    void Report(const std::string& problem) {
        ports.notices.LogExchange("http://" + ServiceEndpoints(ports.settings).UpdateServer() + "/", problem);
    }

    // One failure is reported per run of failures, not at every retry.
    bool EnsureSession() {
        if (!session)
            session = ports.http.Open(&stop);
        if (!session && !sessionFailureReported && !stop.Raised()) {
            Report("no internet session; trying again before the next pass");
            sessionFailureReported = true;
        }
        if (session)
            sessionFailureReported = false;
        return session != nullptr;
    }

    void Start() {
        EnsureSession();
        ports.sound.PlaySoundCue("INTROSOUND");
        // Empties the record so the first decision always finds a pass due.
        if (!ports.settings.WriteText("updatedip", "")) {
            firstPassForced = true;
            Report("could not empty updatedip in " + ports.settings.Path().string());
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
        const bool due = IsUpdateDue(ports) == 1;
        return std::exchange(firstPassForced, false) || due;
    }

    bool HasDomains() { return ports.settings.ReadInt("numofdomains", 0) != 0; }

    PassReport RunPass() {
        PassReport report;
        const bool connected = EnsureSession();
        const int stored = ports.settings.ReadInt("numofdomains", 0);
        if (stored > kMaxDomainNumber)
            Report("numofdomains is " + std::to_string(stored) + "; only domains 1 to 999 are sent");
        const int count = std::min(stored, kMaxDomainNumber);
        for (int number = 1; number <= count && !stop.Raised(); ++number) {
            const DomainKeys keys = ReadDomain(ports.settings, number);
            if (!keys.Complete())
                continue;
            ++report.sent;
            if (!connected) {
                ++report.failed;
                continue;
            }
            const std::string address = keys.method != 0 ? DetectCurrentAddress(ports, &stop) : std::string();
            const DomainExchange exchange =
                UpdateDomain(ports, *session, keys.firstLevel, keys.secondLevel, keys.password, address);
            if (exchange.obtained && ClassifyAnswer(exchange.line) == UpdateAnswer::Registered)
                ++report.registered;
            else
                ++report.failed;
        }
        return report;
    }
};

CUpdateThread::CUpdateThread(EnginePorts& ports, CycleTiming timing, Sleeper* sleeper)
    : impl_(std::make_unique<Impl>(ports, timing, sleeper)) {}

CUpdateThread::~CUpdateThread() = default;

// A stopped thread stays stopped: running it again changes nothing.
void CUpdateThread::RunUpdateCycle() {
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

PassReport CUpdateThread::RunOnce() {
    Impl& cycle = *impl_;
    if (cycle.stop.Raised())
        return {};
    cycle.Start();
    if (!cycle.PassDue() || !cycle.HasDomains())
        return {};
    return cycle.RunPass();
}

void CUpdateThread::RequestStop() {
    impl_->stop.Raise();
}

void UpdateThreadRunner::Start() {
    if (worker_.joinable())
        return;
    worker_ = std::jthread([this](std::stop_token stop) {
        const std::stop_callback wake(stop, [this] { thread_.RequestStop(); });
        thread_.RunUpdateCycle();
    });
}

void UpdateThreadRunner::Stop() {
    thread_.RequestStop();
    worker_ = std::jthread();
}

} // namespace zelto
