#pragma once

#include "config/AddressText.h"

#include <string>

namespace zelto {

class SettingsFile;

// Each operation holds the settings file's lock (a ChangeLock) from its first read to its last write, and
// fails writing nothing when the lock cannot be taken.

// Adds the address at the end. False when a write failed; the list is then as it was.
bool AddIgnoredAddress(SettingsFile& settings, const AddressFields& address);

enum class IgnoreRemoval { Removed, NotFound, WriteFailed };
// Removes the first entry equal to the address.
IgnoreRemoval RemoveIgnoredAddress(SettingsFile& settings, const AddressFields& address);

// Every entry followed by "\r\n"; empty for an empty list.
std::string BuildIgnoreListText(const SettingsFile& settings);

} // namespace zelto
