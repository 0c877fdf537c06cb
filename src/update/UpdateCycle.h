#pragma once

#include "platform/StopSignal.h"
#include "platform/SystemEvents.h"
#include "schema/SettingsProblem.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zelto {

struct EnginePorts;
class HookRunner;

// The pauses of the cycle, in one place so tests can shorten them.
struct CycleTiming {
    std::chrono::milliseconds poll{10000}; // between decisions while nothing is due
    std::chrono::milliseconds rest{30000}; // after each pass
    // A number in [0, 1) for the random part of the waits after failures; a seeded generator when empty.
    std::function<double()> spread{};
    // From a system event to the look it brings, so that a burst of events is one look.
    std::chrono::milliseconds settle{500};
};

// How the pause is taken; the real one waits on the stop signal.
class Sleeper {
public:
    Sleeper() = default;
    virtual ~Sleeper() = default;
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;

    // Pauses; false when the stop was raised before or during the pause. A wake meanwhile is dropped: the
    // cycle looks as soon as this pause ends anyway.
    virtual bool Sleep(std::chrono::milliseconds duration) = 0;
    // Pauses until the time is up, the stop, or a wake (also one that came before).
    virtual StopSignal::WaitEnd SleepUntilWoken(std::chrono::milliseconds duration) = 0;
    // Ends the current or the next SleepUntilWoken; may be called from any thread.
    virtual void Wake() = 0;
};

// What one pass did.
struct PassReport {
    int sent = 0;                             // requests sent (domains not skipped)
    int registered = 0;                       // answers beginning with "ip"
    int failed = 0;                           // any other answer, or none
    int refused = 0;                          // of them, "expired", "nodomain" or "wrongpassword": now paused
    std::vector<int> pausedNow;               // the numbers of those entries, in order
    int unanswered = 0;                       // of them, requests without any answer; the first ends the pass
    int paused = 0;                           // domains not sent because they are paused
    std::vector<int> incomplete;              // numbers of the entries skipped for an empty value, in order
    std::vector<std::string> registeredNames; // "example.com" of each domain that registered
    bool waited = false;                      // no pass was made: a wait after failures holds
    bool unrecorded = false;                  // a registration could not be written to the settings file
    bool fixedUnreachable = false;            // nothing was sent: the fixed address is one no one can reach
    SettingsProblem settingsProblem;          // the file could not be used: no pass was made
};

// The update cycle: polls the decision, makes a pass over the domains when one is due, rests, and starts
// again, until a stop is requested. It runs on whichever thread calls RunUpdateCycle (see UpdateCycleThread).
// The system's events cut a poll short (the rest is kept: the cycle looks when it ends); a resume also ends
// a wait after failures, as the network the requests failed on may be gone.
class UpdateCycle {
public:
    explicit UpdateCycle(EnginePorts& ports, CycleTiming timing = {}, Sleeper* sleeper = nullptr);
    ~UpdateCycle();
    UpdateCycle(const UpdateCycle&) = delete;
    UpdateCycle& operator=(const UpdateCycle&) = delete;

    // The start steps, then the cycle until RequestStop.
    void RunUpdateCycle();
    // The headless --once, a process's one pass. Forced: the start steps, and the pass they make due.
    // Otherwise a pass only when one is due by the schedule, with nothing emptied, so that a scheduler may run
    // it every few minutes.
    PassReport RunOnce(bool force = true);

    // Wakes every pause and cancels a request in flight; RunUpdateCycle returns within a second.
    void RequestStop();
    // What the system announced, from any thread; RunUpdateCycle listens to the platform's events itself.
    void OnSystemEvent(SystemEvent event);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zelto
