#pragma once

#include <string>
#include <string_view>

namespace zelto {

// Bytes that are not UTF-8, read in the platform's code page, as UTF-8 (see SettingsText.h).
std::string DecodeCodePage(std::string_view bytes);

} // namespace zelto
