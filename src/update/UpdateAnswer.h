#pragma once

#include "schema/RequestOutcome.h"

#include <string>
#include <string_view>

namespace zelto {

// What an answer line of the update page means, classified once where it enters the engine.
struct UpdateAnswer {
    // Registered for a line that begins with "ip"; Refused for exactly "expired", "nodomain" or
    // "wrongpassword"; OtherAnswer for anything else, the empty line included.
    RequestResult result = RequestResult::OtherAnswer;
    Refusal refusal = Refusal::WrongPassword; // which, when Refused
    std::string address;                      // when Registered: the text after "ip"
};

UpdateAnswer ClassifyAnswer(std::string_view line);

// Whether a registered address may go into the update record: nothing (the service's bare "ip"), or a dotted
// IPv4 address of four decimal parts 0-255 without leading zeros, the form the machine's addresses take. Any
// other text would grow the settings file or never match an address, re-registering at every pass.
bool IsRecordableAddress(std::string_view address);

} // namespace zelto
