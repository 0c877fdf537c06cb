#include "config/IgnoreList.h"

#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"

#include <algorithm>

namespace zelto {

bool AddIgnoredAddress(SettingsFile& settings, const AddressFields& address) {
    return ClientSettings(settings).AppendIgnoredAddress(address.ToText());
}

IgnoreRemoval RemoveIgnoredAddress(SettingsFile& settings, const AddressFields& address) {
    const SettingsFile::ChangeLock lock(settings);
    if (!lock)
        return IgnoreRemoval::WriteFailed;
    ClientSettings schema(settings);
    const std::vector<std::string> entries = schema.IgnoredAddresses();
    const auto match = std::find(entries.begin(), entries.end(), address.ToText());
    if (match == entries.end())
        return IgnoreRemoval::NotFound;
    return schema.RemoveIgnoredAddressAt(static_cast<int>(match - entries.begin()) + 1) ? IgnoreRemoval::Removed
                                                                                        : IgnoreRemoval::WriteFailed;
}

std::string BuildIgnoreListText(const SettingsFile& settings) {
    std::string text;
    for (const std::string& entry : ClientSettingsView(settings).IgnoredAddresses())
        text += entry + "\r\n";
    return text;
}

} // namespace zelto
