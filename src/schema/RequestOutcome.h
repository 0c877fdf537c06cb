#pragma once

#include "platform/HttpSession.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace zelto {

struct DomainEntry;

// How a domain's last request ended.
enum class RequestResult {
    Registered,    // an "ip" answer with an address
    WrongPassword, // "wrongpassword"
    Expired,       // "expired"
    NoDomain,      // "nodomain"
    OtherAnswer,   // an answer that means nothing, an error page among them
    NoAnswer,      // nothing came back
};

// A domain's last request as status reports it: what came of it, why it failed where known, and when.
struct RequestOutcome {
    RequestResult result = RequestResult::NoAnswer;
    HttpFailure failure = HttpFailure::None; // why nothing came back, or ErrorStatus with an answer
    int status = 0;                          // the HTTP status of ErrorStatus
    std::time_t when = 0;

    bool operator==(const RequestOutcome&) const = default;
};

// How an outcome is stored in outcome<N>: with the fingerprint of the entry it was made for, so that it is
// not shown for another entry after a removal moved the entries.
std::string FormatOutcome(const RequestOutcome& outcome, const DomainEntry& entry);
// The stored outcome when it was made for this entry as it is now; nullopt otherwise.
std::optional<RequestOutcome> ParseOutcome(std::string_view stored, const DomainEntry& entry);
// The same with any fingerprint: of what the outcome holds for as long as it stays as it was.
std::string FormatOutcome(const RequestOutcome& outcome, std::string_view fingerprint);
std::optional<RequestOutcome> ParseOutcome(std::string_view stored, std::string_view fingerprint);

// For scripts: "registered", "wrongpassword", "expired", "nodomain", "otheranswer", "noanswer".
std::string_view RequestResultKey(RequestResult result);

} // namespace zelto
