#include "config/AddressMethod.h"

#include "settings/SettingsFile.h"
#include "update/AddressDetection.h"

#include <algorithm>

namespace zelto {

AddressMethod LoadDialogMethod(const SettingsFile& settings) {
    return ClientSettingsView(settings).DialogMethod();
}

AddressFields LoadFixedAddress(const SettingsFile& settings) {
    AddressFields fields;
    fields.part = ClientSettingsView(settings).FixedAddress();
    for (int& part : fields.part)
        part = std::clamp(part, 0, 255);
    return fields;
}

AddressSave SaveAddressMethod(SettingsFile& settings, AddressMethod method, const AddressFields& fixed) {
    if (method == AddressMethod::Fixed && !IsReachableAddress(fixed.part))
        return AddressSave::Unreachable;
    SettingsFile::Change change(settings);
    ClientSettings schema(settings);
    if (!change || !schema.WriteAddressMethod(method))
        return AddressSave::WriteFailed;
    if (method == AddressMethod::Fixed ? !schema.WriteFixedAddress(fixed.part) : !schema.ClearAddressText())
        return AddressSave::WriteFailed;
    // An empty record makes the next decision register the address found by the new method; the user's OK
    // also lifts the pauses.
    const bool saved = schema.ResumeUpdates() && schema.ClearUpdateRecord() && change.Commit();
    return saved ? AddressSave::Saved : AddressSave::WriteFailed;
}

std::string UnreachableAddressText(const AddressFields& fixed) {
    return "No one can reach IP Address " + fixed.ToText() +
           "! Please enter the public address your domains should point to.";
}

} // namespace zelto
