#include "platform/SettingsText.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <cstdio>

namespace zelto {

Utf8Character Utf8CharacterAt(std::string_view text) {
    if (text.empty())
        return {};
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
        if ((byte & 0xc0) != 0x80)
            return {};
        code = (code << 6) | (byte & 0x3f);
    }
    const bool surrogate = code >= 0xd800 && code <= 0xdfff;
    if (code < lowest || code > 0x10ffff || surrogate)
        return {};
    return {length, code};
}

std::string ShownText(std::string_view stored) {
    std::string shown;
    shown.reserve(stored.size());
    std::size_t i = 0;
    while (i < stored.size()) {
        // A run of bytes that are neither ASCII nor UTF-8 goes to the code page whole, so that a code page
        // of two-byte characters sees both bytes.
        std::size_t end = i;
        while (end < stored.size() && static_cast<unsigned char>(stored[end]) >= 0x80 &&
               Utf8CharacterAt(stored.substr(end)).length == 0)
            ++end;
        if (end > i) {
            shown += DecodeCodePage(stored.substr(i, end - i));
            i = end;
            continue;
        }
        const std::size_t length = std::max<std::size_t>(1, Utf8CharacterAt(stored.substr(i)).length);
        shown.append(stored.substr(i, length));
        i += length;
    }
    return shown;
}

std::size_t CharacterCount(std::string_view stored) {
    const std::string shown = ShownText(stored);
    std::size_t count = 0;
    for (const char c : shown)
        count += (static_cast<unsigned char>(c) & 0xc0) != 0x80 ? 1 : 0;
    return count;
}

std::string UnstorableCharacterText(const std::string& character) {
    // Its number too: a console or file in the same code page cannot show the character itself.
    const Utf8Character decoded = Utf8CharacterAt(character);
    char number[16] = "";
    if (decoded.length != 0)
        std::snprintf(number, sizeof number, " (U+%04X)", static_cast<unsigned>(decoded.code));
    return "The character \"" + character + "\"" + number +
           " cannot be stored: the settings file holds only the characters of the system's code page!";
}

} // namespace zelto
