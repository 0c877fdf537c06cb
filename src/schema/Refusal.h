#pragma once

#include <optional>
#include <string_view>

namespace zelto {

// The service's three refusals: answers that come back on every retry until the user changes something.
// Classified once from the answer line, the value travels to the pause, the outcome, the notices and the
// reports; each front-end has its own words for it.
enum class Refusal {
    WrongPassword, // "wrongpassword"
    Expired,       // "expired"
    NoDomain,      // "nodomain"
};

// The service's own word, which the settings file and status --json use too, so that they say what happened.
std::string_view RefusalWord(Refusal refusal);
// The refusal a whole answer line or a stored word names; nullopt for any other text.
std::optional<Refusal> RefusalNamed(std::string_view word);

} // namespace zelto
