// Windows stores a value as the original client did, in the ANSI code page (CP_ACP).

#include "platform/CodePage.h"
#include "platform/SettingsText.h"

#include <windows.h>

namespace zelto {

namespace {

std::wstring ToWide(UINT page, std::string_view bytes) {
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(page, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(page, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

// The bytes, or nothing when the code page holds no exact form of the text.
bool FromWide(UINT page, std::wstring_view wide, std::string& bytes) {
    const int size = static_cast<int>(wide.size());
    const DWORD flags = page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL defaulted = FALSE;
    BOOL* usedDefault = page == CP_UTF8 ? nullptr : &defaulted;
    const int length = ::WideCharToMultiByte(page, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
    bytes.assign(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(page, flags, wide.data(), size, bytes.data(), length, nullptr, usedDefault);
    return !defaulted && ToWide(page, bytes) == wide;
}

} // namespace

std::string DecodeCodePage(std::string_view bytes) {
    std::string text;
    FromWide(CP_UTF8, ToWide(CP_ACP, bytes), text);
    return text;
}

std::string ConsoleTypedText(std::string_view typed) {
    const UINT page = ::GetConsoleCP();
    std::string text;
    FromWide(CP_UTF8, ToWide(page != 0 ? page : CP_ACP, typed), text);
    return text;
}

StoredText ToStoredText(std::string_view typed) {
    StoredText stored;
    const std::wstring wide = ToWide(CP_UTF8, typed);
    if (FromWide(CP_ACP, wide, stored.bytes) && ShownText(stored.bytes) == typed)
        return stored;
    // Name the first character the code page cannot hold (a surrogate pair is one character).
    for (std::size_t i = 0; i < wide.size() && stored.unstorable.empty(); ++i) {
        const bool pair = i + 1 < wide.size() && IS_HIGH_SURROGATE(wide[i]) && IS_LOW_SURROGATE(wide[i + 1]);
        const std::wstring_view one(wide.data() + i, pair ? 2 : 1);
        std::string bytes;
        if (!FromWide(CP_ACP, one, bytes))
            FromWide(CP_UTF8, one, stored.unstorable);
        i += pair ? 1 : 0;
    }
    // Each fits, but their bytes together would read back as UTF-8, as other characters: name the first
    // that is not ASCII.
    for (std::size_t i = 0; i < wide.size() && stored.unstorable.empty(); ++i)
        if (wide[i] >= 0x80)
            FromWide(CP_UTF8, std::wstring_view(wide.data() + i, 1), stored.unstorable);
    stored.bytes.clear();
    return stored;
}

} // namespace zelto
