#pragma once

#include "platform/InstanceLock.h"

#include <string>
#include <string_view>

namespace zelto {

// The lock file's one line, "PID KIND", shared by the platforms' locks.
std::string FormatInstanceRecord(long long pid, ClientKind kind);
// What a holder wrote; a pid of 0 for a line not (yet) written whole.
InstanceHolder ParseInstanceRecord(std::string_view text);

} // namespace zelto
