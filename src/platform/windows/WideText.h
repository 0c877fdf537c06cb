#pragma once

#include <string>
#include <string_view>

namespace zelto {

// Windows speaks UTF-16; the rest of the program keeps its texts in UTF-8.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

} // namespace zelto
