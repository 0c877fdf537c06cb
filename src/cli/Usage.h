#pragma once

#include "cli/ConsoleNotices.h"

#include <string>

namespace zelto {

// Exit codes of the command line.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

// The full --help text.
std::string HelpText(const std::string& program);

// Prints "program: problem" and the short usage on err; returns kExitUsage. The problem must not quote a
// word of the command line, which may be a password typed in the wrong place.
int UsageError(Console& console, const std::string& problem);

} // namespace zelto
