#include "update/PrintableText.h"

#include <cstdio>

namespace zelto {

std::string PrintableText(std::string_view text) {
    std::string printable;
    printable.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7f && byte <= 0x9f)) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            printable += escaped;
        } else {
            printable += c;
        }
    }
    return printable;
}

} // namespace zelto
