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

} // namespace zelto
