#pragma once

#include <string>
#include <string_view>

namespace zelto {

// What an answer line of the update page means.
enum class UpdateAnswer {
    Expired,       // exactly "expired"
    NoDomain,      // exactly "nodomain"
    WrongPassword, // exactly "wrongpassword"
    Registered,    // begins with "ip": the rest is the address now registered
    Ignored,       // anything else, the empty line included
};

UpdateAnswer ClassifyAnswer(std::string_view line);

// For a Registered line: the text after "ip".
std::string RegisteredAddress(std::string_view line);

// Whether a registered address may go into the update record: nothing (the service's bare "ip"), or a dotted
// IPv4 address of four decimal parts 0-255 without leading zeros, the form the machine's addresses take. Any
// other text would grow the settings file or never match an address, re-registering at every pass.
bool IsRecordableAddress(std::string_view address);

} // namespace zelto
