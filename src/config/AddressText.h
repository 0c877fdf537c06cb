#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zelto {

// The four fields of an address control, each 0 to 255 (a blank field is 0).
struct AddressFields {
    std::array<int, 4> part{0, 0, 0, 0};

    // Four decimal parts without leading zeros joined by ".".
    std::string ToText() const;
    bool operator==(const AddressFields&) const = default;
};

// Four decimal fields 0-255 joined by "." and nothing else; nullopt otherwise.
std::optional<AddressFields> ParseAddressText(std::string_view text);

} // namespace zelto
