#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zelto {

// One run of the user's command after an address change.
struct HookRun {
    std::filesystem::path executable;
    std::filesystem::path settingsFile; // trusted like the executable: it names the command
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> environment; // added to the client's own
    std::chrono::milliseconds timeout{30000};
};

// How a run ended, reported once.
enum class HookEnd {
    Succeeded,  // exit status 0
    Failed,     // another exit status, or ended by a signal
    TimedOut,   // still running at the timeout: ended
    NotStarted, // the executable could not be started
    NotTrusted, // the executable or the settings file may have been replaced by another user
};

struct HookOutcome {
    HookEnd end = HookEnd::NotStarted;
    int status = 0;   // the exit status, or the signal that ended it
    std::string file; // NotTrusted: the file refused
    std::string why;  // NotStarted: the system's reason, when it gave one
};

// The refusal every run of `executable` would meet before it starts (the file missing or not runnable,
// NotStarted; one another user may have replaced, NotTrusted), so that it can be refused when it is set.
// Each platform's runner checks the same way first.
std::optional<HookOutcome> HookRefusal(const std::filesystem::path& executable);

// Starts the user's command beside the update cycle: directly, without a shell (nothing in an address or a
// label can become a command), with standard input closed. It never holds up its caller.
class HookRunner {
public:
    // A line the command printed, already bounded; then, once, how it ended.
    using OutputLine = std::function<void(const std::string& line)>;
    using Ended = std::function<void(const HookOutcome& outcome)>;

    HookRunner() = default;
    virtual ~HookRunner() = default;
    HookRunner(const HookRunner&) = delete;
    HookRunner& operator=(const HookRunner&) = delete;

    // Checks that the executable and the settings file belong to this user or the administrator and cannot
    // be written by others, then starts the command; at most 4 KiB of what it prints reaches `output`. The
    // callbacks run on the runner's own thread. A run still going when the runner is destroyed is ended.
    virtual void Start(const HookRun& run, OutputLine output, Ended ended) = 0;
    // Waits up to `grace` for the runs still going to end by themselves, then ends them; returns once every
    // callback has run. Their owner calls it before whatever the callbacks use goes away.
    virtual void EndAll(std::chrono::milliseconds grace) = 0;
};

} // namespace zelto
