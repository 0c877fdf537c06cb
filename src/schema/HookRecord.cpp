#include "schema/HookRecord.h"

#include <charconv>

namespace zelto {

namespace {

struct EndWord {
    HookEnd end;
    std::string_view word;
};
constexpr EndWord kEndWords[] = {
    {HookEnd::Succeeded, "done"},         {HookEnd::Failed, "failed"},      {HookEnd::TimedOut, "timed_out"},
    {HookEnd::NotStarted, "not_started"}, {HookEnd::NotTrusted, "refused"},
};

// The next word of `text`, taken off its front.
std::string_view TakeWord(std::string_view& text) {
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
    return word;
}

template <typename Number> bool ReadNumber(std::string_view word, Number& number) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    return error == std::errc() && end == word.data() + word.size();
}

} // namespace

std::string HookEndText(const HookOutcome& outcome) {
    switch (outcome.end) {
    case HookEnd::Succeeded:
        return "done";
    case HookEnd::Failed:
        return "failed with status " + std::to_string(outcome.status);
    case HookEnd::TimedOut:
        return "ended: still running after its time";
    case HookEnd::NotStarted:
        return outcome.why.empty() ? "could not be started" : "could not be started: " + outcome.why;
    case HookEnd::NotTrusted:
        break;
    }
    return "refused: " + outcome.file + " must belong to this user or root and not be writable by others";
}

std::string_view HookEndWord(HookEnd end) {
    for (const EndWord& known : kEndWords)
        if (known.end == end)
            return known.word;
    return {};
}

// The detail is the one free text: the refused file or the system's reason, last so that it may hold spaces.
std::string FormatHookRecord(const HookRecord& record) {
    const HookOutcome& outcome = record.outcome;
    return std::to_string(static_cast<long long>(record.started)) + " " + std::string(HookEndWord(outcome.end)) + " " +
           std::to_string(outcome.status) + " " + (outcome.end == HookEnd::NotTrusted ? outcome.file : outcome.why);
}

std::optional<HookRecord> ParseHookRecord(std::string_view stored) {
    HookRecord record;
    long long started = 0;
    const std::string_view startedWord = TakeWord(stored), endWord = TakeWord(stored), statusWord = TakeWord(stored);
    const EndWord* known = nullptr;
    for (const EndWord& candidate : kEndWords)
        if (candidate.word == endWord)
            known = &candidate;
    if (known == nullptr || !ReadNumber(startedWord, started) || !ReadNumber(statusWord, record.outcome.status))
        return std::nullopt;
    record.started = static_cast<std::time_t>(started);
    record.outcome.end = known->end;
    (known->end == HookEnd::NotTrusted ? record.outcome.file : record.outcome.why) = std::string(stored);
    return record;
}

} // namespace zelto
