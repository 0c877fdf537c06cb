#pragma once

#include <string>
#include <string_view>

namespace zelto {

// The text as shown (ShownText: the settings' single-byte values read in their code page), with every
// control written as \xNN: C0, DEL and C1, which some terminals obey as well. A server's answer or a
// hand-edited settings value then cannot move the cursor or forge extra lines wherever it is shown.
std::string PrintableText(std::string_view text);

// A server's text as a log line carries it: the first 300 bytes, cut where a character begins, and a mark
// that says how long the whole was. A server could otherwise fill a log with one line of 64 KiB per request.
std::string ShortenedServerText(std::string_view text);

} // namespace zelto
