#pragma once

#include "config/AddressText.h"

namespace zelto {

class SettingsFile;

enum class AddressMethod { Server = 0, Client = 1, Both = 2, Fixed = 3 };

// The method the Properties dialog shows: "ipmethod" with default 2, any unknown value as Both.
AddressMethod LoadDialogMethod(const SettingsFile& settings);
// "one" ... "four", 0 each by default; a stored value outside 0-255 is brought to the nearer end.
AddressFields LoadFixedAddress(const SettingsFile& settings);

// What the dialog's OK writes: the method (and for Fixed the four fields, else "ipaddress" empty),
// then "updatedip" empty, under the settings file's lock. False when a write failed; nothing after it
// was written.
bool SaveAddressMethod(SettingsFile& settings, AddressMethod method, const AddressFields& fixed);

} // namespace zelto
