#pragma once

#include "config/AddressText.h"
#include "schema/ClientSettings.h"

#include <string>

namespace zelto {

class SettingsFile;

// The method the Properties dialog shows: Both when none is stored, and for any number it does not know.
AddressMethod LoadDialogMethod(const SettingsFile& settings);
// The fixed address, 0.0.0.0 by default; a stored part outside 0-255 is brought to the nearer end.
AddressFields LoadFixedAddress(const SettingsFile& settings);

enum class AddressSave { Saved, Unreachable, WriteFailed };
// What the dialog's OK writes: the method (and for Fixed the four parts, else the address text emptied),
// then the update record's address emptied, in one change of the settings file (a SettingsFile::Change).
// Nothing is written for a fixed address no one can reach (Unreachable), nor when the lock could not be taken
// or the file could not be written (WriteFailed).
AddressSave SaveAddressMethod(SettingsFile& settings, AddressMethod method, const AddressFields& fixed);
// The words for an Unreachable save, in the dialog's status box and on the command line.
std::string UnreachableAddressText(const AddressFields& fixed);

} // namespace zelto
