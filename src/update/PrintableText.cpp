#include "update/PrintableText.h"

#include <cstddef>
#include <cstdio>

namespace zelto {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xc0) == 0x80;
}

struct Utf8Character {
    std::size_t length = 0; // 0: no well-formed character of two or more bytes
    char32_t code = 0;
};

// The well-formed UTF-8 character of two or more bytes at the front of text, if there is one.
Utf8Character Utf8CharacterAt(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t lowest = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        lowest = 0x10000;
    }
    if (length == 0 || text.size() < length)
        return {};
    char32_t code = lead & (0xff >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!IsContinuation(byte))
            return {};
        code = (code << 6) | (byte & 0x3f);
    }
    const bool surrogate = code >= 0xd800 && code <= 0xdfff;
    if (code < lowest || code > 0x10ffff || surrogate)
        return {};
    return {length, code};
}

void AppendEscaped(std::string& out, unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
}

} // namespace

std::string PrintableText(std::string_view text) {
    std::string printable;
    printable.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0xc2) {
            if (const Utf8Character character = Utf8CharacterAt(text.substr(i)); character.length > 0) {
                // U+0080-U+009F are the C1 controls spelt in UTF-8.
                if (character.code <= 0x9f) {
                    for (std::size_t k = 0; k < character.length; ++k)
                        AppendEscaped(printable, static_cast<unsigned char>(text[i + k]));
                } else {
                    printable.append(text.substr(i, character.length));
                }
                i += character.length;
                continue;
            }
        }
        if (byte < 0x20 || (byte >= 0x7f && byte <= 0x9f))
            AppendEscaped(printable, byte);
        else
            printable += static_cast<char>(byte);
        ++i;
    }
    return printable;
}

} // namespace zelto
