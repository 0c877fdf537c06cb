#pragma once

#include <string>

namespace zelto {

// One domain entry: second_level<N>, first_level<N> and password<N>.
struct DomainEntry {
    std::string domain;   // the name label ("example" of example.com)
    std::string topLevel; // "com"
    std::string password;

    // The update cycle skips an entry with an empty value.
    bool Complete() const { return !domain.empty() && !topLevel.empty() && !password.empty(); }
    bool operator==(const DomainEntry&) const = default;
};

} // namespace zelto
