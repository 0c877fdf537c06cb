#pragma once

#include <chrono>
#include <functional>

namespace zelto {

// How long a second start looks for the running desktop client, and how often: the client may be starting,
// and its hand-over endpoint comes a moment after its lock. Also how long it waits for the client's answer.
inline constexpr std::chrono::milliseconds kHandOverPatience{5000};
inline constexpr std::chrono::milliseconds kHandOverInterval{200};

// Tries reach (true once the running client's endpoint was found) every kHandOverInterval until it succeeds
// or kHandOverPatience has passed; wait pauses between tries.
bool ReachRunningClient(const std::function<bool()>& reach, const std::function<void(std::chrono::milliseconds)>& wait);
// The same, waiting for real.
bool ReachRunningClient(const std::function<bool()>& reach);

} // namespace zelto
