#include "config/AddressText.h"

namespace zelto {

std::string AddressFields::ToText() const {
    return std::to_string(part[0]) + "." + std::to_string(part[1]) + "." + std::to_string(part[2]) + "." +
           std::to_string(part[3]);
}

// Each field is one to three decimal digits, like a field of the address control: leading zeros are read as
// decimal ("010" is 10), never as octal.
std::optional<AddressFields> ParseAddressText(std::string_view text) {
    AddressFields fields;
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        int value = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (++digits > 3)
                return std::nullopt;
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        fields.part[static_cast<std::size_t>(i)] = value;
    }
    if (pos != text.size())
        return std::nullopt;
    return fields;
}

} // namespace zelto
