#include "config/AddressMethod.h"

#include "settings/SettingsFile.h"

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

bool SaveAddressMethod(SettingsFile& settings, AddressMethod method, const AddressFields& fixed) {
    SettingsFile::Change change(settings);
    ClientSettings schema(settings);
    if (!change || !schema.WriteAddressMethod(method))
        return false;
    if (method == AddressMethod::Fixed ? !schema.WriteFixedAddress(fixed.part) : !schema.ClearAddressText())
        return false;
    // An empty record makes the next decision register the address found by the new method; the user's OK
    // also lifts the pauses.
    return schema.ResumeUpdates() && schema.ClearUpdateRecord() && change.Commit();
}

} // namespace zelto
