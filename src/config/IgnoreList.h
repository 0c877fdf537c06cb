#pragma once

#include "config/AddressText.h"

#include <string>

namespace zelto {

class SettingsFile;

// Each operation holds the settings file's lock from its first read to its last write.

// Adds the address at the end: the new count first, then the address. False when a write failed; the
// count is then put back.
bool OnAddIp(SettingsFile& settings, const AddressFields& address);
// Removes the first entry equal to the address; false when none was.
bool OnRemoveIp(SettingsFile& settings, const AddressFields& address);

enum class IgnoreRemoval { Removed, NotFound, WriteFailed };
// OnRemoveIp telling a missing address from a failed write.
IgnoreRemoval RemoveIgnoreAddress(SettingsFile& settings, const AddressFields& address);

// Every entry followed by "\r\n"; empty for an empty list.
std::string BuildIgnoreListText(const SettingsFile& settings);

// Shifts entries i+1..count down one place, then writes numofignoreip = count-1. Stops at the first
// failed write (the count then stays as it was) and returns false.
bool RemoveIgnoreEntry(SettingsFile& settings, int count, int i);

} // namespace zelto
