#pragma once

#include <string>
#include <string_view>

namespace zelto {

// The text with every control shown as \xNN: C0 and DEL, and C1, which some terminals obey as well, whether
// it comes as a single byte (0x80-0x9F) or as a UTF-8 character (U+0080-U+009F). A server's answer or a
// hand-edited settings value then cannot move the cursor or forge extra lines wherever it is shown. Other
// UTF-8 characters, such as the letters of a user's name in a settings path, stay whole; any other byte
// above 0x9F is left as it is, as single-byte text.
std::string PrintableText(std::string_view text);

} // namespace zelto
