#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelto {

class SettingsFile;

// Drops ignored addresses and moves reserved-range ones behind the others, keeping input order in each group.
std::vector<std::string> FilterAddressList(const SettingsFile& settings, const std::vector<std::string>& addresses);

// True when an entry of the ignore list holds exactly this text.
bool IsIgnoredAddress(const SettingsFile& settings, std::string_view address);

// True for 127.0.0.1, 10., 172.16. to 172.31., 192.168 and 169.254 (by leading characters).
bool IsReservedAddress(std::string_view address);

} // namespace zelto
