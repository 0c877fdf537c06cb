#pragma once

#include <string>
#include <string_view>

namespace zelto {

// The text with every control byte shown as \xNN: C0 and DEL, and C1 (0x80-0x9F), which some terminals obey
// as well. A server's answer or a hand-edited settings value then cannot move the cursor or forge extra lines
// wherever it is shown. The client's texts are single-byte, so no byte is part of a longer character.
std::string PrintableText(std::string_view text);

} // namespace zelto
