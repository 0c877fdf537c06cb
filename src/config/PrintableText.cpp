#include "config/PrintableText.h"

#include "platform/SettingsText.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace zelto {

namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
}

} // namespace

std::string PrintableText(std::string_view raw) {
    const std::string text = ShownText(raw);
    std::string printable;
    printable.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0xc2) {
            if (const Utf8Character character = Utf8CharacterAt(std::string_view(text).substr(i));
                character.length > 0) {
                // U+0080-U+009F are the C1 controls spelt in UTF-8.
                if (character.code <= 0x9f) {
                    for (std::size_t k = 0; k < character.length; ++k)
                        AppendEscaped(printable, static_cast<unsigned char>(text[i + k]));
                } else {
                    printable.append(text, i, character.length);
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

std::string ShortenedServerText(std::string_view text) {
    constexpr std::size_t kKept = 300;
    if (text.size() <= kKept)
        return std::string(text);
    std::size_t cut = kKept;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut)) + "[... " + std::to_string(text.size()) + " bytes in all]";
}

} // namespace zelto
