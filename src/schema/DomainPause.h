#pragma once

#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zelto {

struct DomainEntry;

// Why the engine sends no more updates for a domain: the service gave an answer that comes back on every
// retry until the user changes something.
enum class PauseReason {
    WrongPassword, // "wrongpassword"
    Expired,       // "expired"
    NoDomain,      // "nodomain"
};

// A paused domain: why, and since when. It lasts while its entry (labels and password) stays as it was.
struct DomainPause {
    PauseReason reason = PauseReason::WrongPassword;
    std::time_t since = 0;

    bool operator==(const DomainPause&) const = default;
};

// The service's own word for the reason: "wrongpassword", "expired", "nodomain".
std::string_view PauseReasonWord(PauseReason reason);

// How a pause is stored in paused<N>: the reason, the time and a fingerprint of the entry it was made for,
// so that any change to the entry, by any process, lifts it.
std::string FormatPause(const DomainPause& pause, const DomainEntry& entry);
// The stored pause when it was made for this entry as it is now; nullopt for none, another entry or a
// value that cannot be read.
std::optional<DomainPause> ParsePause(std::string_view stored, const DomainEntry& entry);
// A digest of the entry's labels and password, for values that hold only while the entry stays as it was.
std::string EntryFingerprint(const DomainEntry& entry);
// A digest of texts, in order, for values that hold only while the texts stay as they were.
std::string TextsFingerprint(std::span<const std::string> texts);

} // namespace zelto
