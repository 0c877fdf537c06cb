#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelto {

// The settings file holds a value as the bytes that wrote it: the original client's in the system's ANSI
// code page, the Linux client's in UTF-8. The engine keeps and sends those bytes; these functions are the
// one place where they meet what a user reads and types. Each platform decodes its own code page
// (linux/CodePage.cpp: Windows-1252, the code page of the files users copy over; windows/CodePage.cpp: CP_ACP).

// A well-formed UTF-8 character of two to four bytes at the front of a text, or length 0.
struct Utf8Character {
    std::size_t length = 0;
    char32_t code = 0;
};
Utf8Character Utf8CharacterAt(std::string_view text);

// The text as shown, in UTF-8: well-formed UTF-8 stays (the program's own texts, paths, values typed on
// Linux); every other byte above 0x7F is read in the code page.
std::string ShownText(std::string_view stored);

// How many characters a user reads in a stored value.
std::size_t CharacterCount(std::string_view stored);

struct StoredText {
    std::string bytes;
    std::string unstorable; // UTF-8: the first typed character the settings cannot hold; empty when none
};
// Typed text (UTF-8) as it is stored: unchanged on Linux, in the ANSI code page on Windows, where a
// character the code page cannot hold is never replaced by another.
StoredText ToStoredText(std::string_view typed);

// A line typed at the terminal, as UTF-8: a Linux terminal's own, a Windows console's read in its input code
// page (GetConsoleCP), where the console's bytes are not the ANSI code page's.
std::string ConsoleTypedText(std::string_view typed);

// The message that refuses such a character.
std::string UnstorableCharacterText(const std::string& character);

} // namespace zelto
