#include "schema/DomainPause.h"

#include "schema/DomainEntry.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

namespace zelto {

namespace {

struct ReasonWord {
    PauseReason reason;
    std::string_view word;
};
// The service's own words, so that the file says what happened.
constexpr ReasonWord kReasonWords[] = {
    {PauseReason::WrongPassword, "wrongpassword"},
    {PauseReason::Expired, "expired"},
    {PauseReason::NoDomain, "nodomain"},
};

} // namespace

// FNV-1a over the texts, each ended by a line feed: tells a changed value from the one a state was stored for
// without storing a password a second time.
std::string TextsFingerprint(std::span<const std::string> texts) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const std::string& value : texts) {
        for (const char c : value + '\n')
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string EntryFingerprint(const DomainEntry& entry) {
    const std::string values[] = {entry.domain, entry.topLevel, entry.password};
    return TextsFingerprint(values);
}

std::string_view PauseReasonWord(PauseReason reason) {
    for (const ReasonWord& known : kReasonWords)
        if (known.reason == reason)
            return known.word;
    return {};
}

std::string FormatPause(const DomainPause& pause, const DomainEntry& entry) {
    return std::string(PauseReasonWord(pause.reason)) + " " + std::to_string(static_cast<long long>(pause.since)) +
           " " + EntryFingerprint(entry);
}

std::optional<DomainPause> ParsePause(std::string_view stored, const DomainEntry& entry) {
    const std::size_t first = stored.find(' ');
    const std::size_t second = stored.find(' ', first == std::string_view::npos ? first : first + 1);
    if (second == std::string_view::npos || stored.substr(second + 1) != EntryFingerprint(entry))
        return std::nullopt;
    DomainPause pause;
    const std::string_view word = stored.substr(0, first);
    const ReasonWord* known = nullptr;
    for (const ReasonWord& candidate : kReasonWords)
        if (candidate.word == word)
            known = &candidate;
    long long since = 0;
    const std::string_view time = stored.substr(first + 1, second - first - 1);
    if (!known || std::from_chars(time.data(), time.data() + time.size(), since).ptr != time.data() + time.size())
        return std::nullopt;
    pause.reason = known->reason;
    pause.since = static_cast<std::time_t>(since);
    return pause;
}

} // namespace zelto
