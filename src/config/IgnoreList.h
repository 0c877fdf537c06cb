#pragma once

#include "config/AddressText.h"

#include <string>

namespace zelto {

class SettingsFile;

// Adds the address at the end: the new count first, then the address.
void OnAddIp(SettingsFile& settings, const AddressFields& address);
// Removes the first entry equal to the address; false when none was.
bool OnRemoveIp(SettingsFile& settings, const AddressFields& address);

// Every entry followed by "\r\n"; empty for an empty list.
std::string BuildIgnoreListText(const SettingsFile& settings);

// Shifts entries i+1..count down one place, then writes numofignoreip = count-1.
void RemoveIgnoreEntry(SettingsFile& settings, int count, int i);

} // namespace zelto
