#include "config/PrintableText.h"

#include <gtest/gtest.h>

namespace zelto {
namespace {

// What a terminal would obey is escaped; text is kept, a single byte of the original's code page as its character.
TEST(PrintableTextTest, EscapesC1AndOverlongControlsAndKeepsWholeCharacters) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        // C1 as UTF-8 characters U+0085 and U+009B, and the code page's unassigned 0x81, read as U+0081.
        {"a\xc2\x85"
         "b\xc2\x9b\x81",
         "a\\xc2\\x85b\\xc2\\x9b\\xc2\\x81"},
        // A user's name in a path: letters whose UTF-8 bytes fall in 0x80-0x9F stay whole.
        {"/home/\xc3\x84nne/wei\xc3\x9f/Zo\xc3\xab \xf0\x9f\x98\x80",
         "/home/\xc3\x84nne/wei\xc3\x9f/Zo\xc3\xab \xf0\x9f\x98\x80"},
        // A broken sequence, each byte a character: an overlong line feed (the controls and Windows-1252 alone:
        // ConsoleNoticesTest).
        {"\xc0\x8a", "\xc3\x80\xc5\xa0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrintableText(c.text), c.shown) << c.shown;
}

} // namespace
} // namespace zelto
