#include "update/PrintableText.h"

#include <gtest/gtest.h>

namespace zelto {
namespace {

// What a terminal would obey is escaped; what a person reads, in UTF-8 or single-byte text, is kept.
TEST(PrintableTextTest, EscapesControlsAndKeepsCharacters) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"plain ip203.0.113.7", "plain ip203.0.113.7"},
        {"\x1b[2J\r\n\x7f", "\\x1b[2J\\x0d\\x0a\\x7f"},
        // C1 as single bytes, and as UTF-8 characters U+0085 and U+009B.
        {"a\x9b"
         "b\x85",
         "a\\x9bb\\x85"},
        {"a\xc2\x85"
         "b\xc2\x9b",
         "a\\xc2\\x85b\\xc2\\x9b"},
        // A user's name in a path: letters whose UTF-8 bytes fall in 0x80-0x9F stay whole.
        {"/home/\xc3\x84nne/wei\xc3\x9f/Zo\xc3\xab", "/home/\xc3\x84nne/wei\xc3\x9f/Zo\xc3\xab"},
        {"\xe2\x82\xac \xf0\x9f\x98\x80", "\xe2\x82\xac \xf0\x9f\x98\x80"},
        // Single-byte text and broken sequences: high bytes above 0x9F stay, C1 bytes are escaped.
        {"caf\xe9 \xa0", "caf\xe9 \xa0"},
        {"\xc3", "\xc3"},
        {"\xc3\x28", "\xc3("},
        {"\xe2\x82", "\xe2\\x82"},
        {"\xc0\x8a", "\xc0\\x8a"},                   // an overlong line feed
        {"\xed\xa0\x80", "\xed\xa0\\x80"},           // a surrogate
        {"\xf4\x90\x80\x80", "\xf4\\x90\\x80\\x80"}, // past U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrintableText(c.text), c.shown) << c.shown;
}

} // namespace
} // namespace zelto
