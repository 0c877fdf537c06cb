// Linux has no ANSI code page: a value that is not UTF-8 came from a Windows machine, which in the west means
// Windows-1252. Typed text is UTF-8 and stored as it is.

#include "platform/CodePage.h"
#include "platform/SettingsText.h"

namespace zelto {

namespace {

// Windows-1252's characters at 0x80-0x9F; Windows reads its five unassigned bytes as the C1 controls.
constexpr char16_t kHighControls[32] = {0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021,
                                        0x02c6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008d, 0x017d, 0x008f,
                                        0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
                                        0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178};

void AppendUtf8(std::string& out, char16_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xc0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        out += static_cast<char>(0xe0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    }
}

} // namespace

std::string DecodeCodePage(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(text, byte >= 0x80 && byte < 0xa0 ? kHighControls[byte - 0x80] : char16_t{byte});
    }
    return text;
}

StoredText ToStoredText(std::string_view typed) {
    return StoredText{std::string(typed), {}};
}

std::string ConsoleTypedText(std::string_view typed) {
    return std::string(typed);
}

} // namespace zelto
