#pragma once

#include "platform/linux/http/NameLookup.h"

#include <chrono>
#include <vector>

namespace zelto {

class StopSignal;

// Opens a non-blocking TCP connection to the first of `addresses` that accepts. The attempts are staggered:
// the next address is tried after `stagger`, or at once when the one before fails, while the earlier ones go
// on. An address whose packets vanish (a broken IPv6 route, say) thus costs one stagger, not the whole
// connect time-out. The socket, or -1 at the deadline, on a stop, or when every address failed; then
// `lastError`, when given, holds the errno of the last refused or failed attempt (0 for none).
int ConnectFirst(const std::vector<SocketAddress>& addresses, std::chrono::steady_clock::time_point deadline,
                 const StopSignal* stop, std::chrono::milliseconds stagger = std::chrono::milliseconds(250),
                 int* lastError = nullptr);

} // namespace zelto
