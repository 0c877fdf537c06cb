#include "config/PrintableText.h"

#include <gtest/gtest.h>

namespace zelto {
namespace {

// What a terminal would obey is escaped; text is kept, a single byte of the original's code page as its character.
TEST(PrintableTextTest, EscapesControlsAndShowsSingleBytesAsTheirCharacters) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"\x1b[2J\r\n\x7f", "\\x1b[2J\\x0d\\x0a\\x7f"},
        // C1 as UTF-8 characters U+0085 and U+009B, and the code page's unassigned 0x81, read as U+0081.
        {"a\xc2\x85"
         "b\xc2\x9b\x81",
         "a\\xc2\\x85b\\xc2\\x9b\\xc2\\x81"},
        // A user's name in a path: letters whose UTF-8 bytes fall in 0x80-0x9F stay whole.
        {"/home/\xc3\x84nne/wei\xc3\x9f/Zo\xc3\xab \xf0\x9f\x98\x80",
         "/home/\xc3\x84nne/wei\xc3\x9f/Zo\xc3\xab \xf0\x9f\x98\x80"},
        // Single bytes and broken sequences, each byte a character (Windows-1252 alone: ConsoleNoticesTest).
        {"M\xfcller\xc3", "M\xc3\xbcller\xc3\x83"},
        {"\xc0\x8a", "\xc3\x80\xc5\xa0"}, // an overlong line feed
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrintableText(c.text), c.shown) << c.shown;
}

} // namespace
} // namespace zelto
