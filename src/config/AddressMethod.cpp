#include "config/AddressMethod.h"

#include "settings/SettingsFile.h"

#include <algorithm>

namespace zelto {

namespace {

constexpr const char* kFixedKeys[] = {"one", "two", "three", "four"};

} // namespace

AddressMethod LoadDialogMethod(const SettingsFile& settings) {
    switch (settings.ReadInt("ipmethod", 2)) {
    case 0:
        return AddressMethod::Server;
    case 1:
        return AddressMethod::Client;
    case 3:
        return AddressMethod::Fixed;
    default:
        return AddressMethod::Both;
    }
}

AddressFields LoadFixedAddress(const SettingsFile& settings) {
    SettingsFile::Lock lock(settings);
    AddressFields fields;
    for (std::size_t i = 0; i < 4; ++i)
        fields.part[i] = std::clamp(settings.ReadInt(kFixedKeys[i], 0), 0, 255);
    return fields;
}

bool SaveAddressMethod(SettingsFile& settings, AddressMethod method, const AddressFields& fixed) {
    SettingsFile::Lock lock(settings);
    if (!settings.WriteText("ipmethod", std::to_string(static_cast<int>(method))))
        return false;
    if (method == AddressMethod::Fixed) {
        for (std::size_t i = 0; i < 4; ++i) {
            if (!settings.WriteText(kFixedKeys[i], std::to_string(fixed.part[i])))
                return false;
        }
    } else if (!settings.WriteText("ipaddress", "")) {
        return false;
    }
    // An empty record makes the next decision register the address found by the new method.
    return settings.WriteText("updatedip", "");
}

} // namespace zelto
