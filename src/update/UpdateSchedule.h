#pragma once

#include "schema/RequestOutcome.h"

#include <chrono>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zelto {

struct EnginePorts;
class StopSignal;

// What a pass came to, for the schedule: whether any domain registered an address, and what went wrong.
struct PassOutcome {
    bool registered = false;    // an "ip" answer with an address that could be recorded
    int failed = 0;             // no answer, or an answer that means nothing
    bool onlyUnanswered = true; // every failure was a request without any answer
    bool cutShort = false;      // a request got no answer at all, so the rest of the pass was not sent
    RequestOutcome lastFailure; // of the last failed request
    std::string requests;       // RequestsFingerprint() when the pass began
};

// When the client talks to the service, on top of the record's own rule (JudgeRecord): behind address
// translation the service's address check, at most every five minutes, tells whether the registration still
// holds; after failed passes the next one waits longer each time, and is made when the wait is over. The
// in-memory part (the addresses at the last registration) starts empty in every process; the wait after
// failures and the time of the last check are in the settings file, so another process (--once, status, the
// user's resume) sees them.
class UpdateSchedule {
public:
    // `spread` gives a number in [0, 1) for the random part of each wait.
    UpdateSchedule(EnginePorts& ports, std::function<double()> spread);

    // Whether a pass is due now. May ask the service's address check.
    bool PassDue(const StopSignal* stop);
    // Before each pass looks at any address.
    void PassStarting();
    // After each pass.
    void PassDone(const PassOutcome& outcome);
    // A start: nothing waits.
    void Forget();
    // Ends the wait after failures: the next decision judges the record alone. For what makes the wait
    // pointless: a new network, the user's change, a resume (the network the requests failed on may be gone).
    void EndFailureWait();
    // For a process that ends after its pass (--once): what only a later pass of the same process would use,
    // the machine's addresses at a registration or at the first of a run of failures, is not gathered.
    void OnePassOnly() { remembers_ = false; }

    // The wait after `failures` failed passes in a row, without its spread.
    static std::chrono::seconds FailureWaitFor(int failures, bool onlyUnanswered);

private:
    bool BehindTranslationDue(const std::vector<std::string>& addresses, std::time_t now, const StopSignal* stop);

    EnginePorts& ports_;
    std::function<double()> spread_;
    std::vector<std::string> passStartedWith_;               // the machine's addresses as the pass began
    std::optional<std::vector<std::string>> registeredWith_; // ... at the last registration
    std::optional<std::vector<std::string>> failedWith_;     // ... at the first failure of a run of them
    std::optional<std::time_t> registeredAt_;                // the last registration here, which told the address seen
    bool remembers_ = true;
};

} // namespace zelto
