#pragma once

#include "platform/HookRunner.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace zelto {

// The hook's last run, kept in the settings file so that status tells it whichever process ran it.
struct HookRecord {
    std::time_t started = 0;
    HookOutcome outcome;
};

// How a run ended, in the words of the log, status and a refused `hook set`: "done", "failed with status 3",
// "refused: FILE must belong to ...".
std::string HookEndText(const HookOutcome& outcome);
// One word for the way it ended, for status --json: "done", "failed", "timed_out", "not_started", "refused".
std::string_view HookEndWord(HookEnd end);

// "STARTED WORD STATUS DETAIL" in hookrun; nullopt for a value that cannot be read.
std::string FormatHookRecord(const HookRecord& record);
std::optional<HookRecord> ParseHookRecord(std::string_view stored);

} // namespace zelto
