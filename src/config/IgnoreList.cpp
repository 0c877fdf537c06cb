#include "config/IgnoreList.h"

#include "settings/SettingsFile.h"

#include <algorithm>

namespace zelto {

namespace {

constexpr const char* kCountKey = "numofignoreip";
constexpr const char* kEntryBase = "ignoreip";

// A count below zero can only come from a hand-edited file; it holds no live entry.
int ReadCount(const SettingsFile& settings) {
    return std::max(0, settings.ReadInt(kCountKey, 0));
}

} // namespace

bool OnAddIp(SettingsFile& settings, const AddressFields& address) {
    SettingsFile::Lock lock(settings);
    const int count = ReadCount(settings);
    if (!settings.WriteInt(kCountKey, count + 1))
        return false;
    if (settings.WriteText(IndexedKey(kEntryBase, count + 1), address.ToText()))
        return true;
    // Without its address the new count would make a stale or empty entry live.
    settings.WriteInt(kCountKey, count);
    return false;
}

IgnoreRemoval RemoveIgnoreAddress(SettingsFile& settings, const AddressFields& address) {
    SettingsFile::Lock lock(settings);
    const std::string text = address.ToText();
    const int count = ReadCount(settings);
    for (int i = 1; i <= count; ++i) {
        if (settings.ReadText(IndexedKey(kEntryBase, i)) == text)
            return RemoveIgnoreEntry(settings, count, i) ? IgnoreRemoval::Removed : IgnoreRemoval::WriteFailed;
    }
    return IgnoreRemoval::NotFound;
}

bool OnRemoveIp(SettingsFile& settings, const AddressFields& address) {
    return RemoveIgnoreAddress(settings, address) == IgnoreRemoval::Removed;
}

std::string BuildIgnoreListText(const SettingsFile& settings) {
    SettingsFile::Lock lock(settings);
    const int count = ReadCount(settings);
    std::string text;
    for (int n = 1; n <= count; ++n)
        text += settings.ReadText(IndexedKey(kEntryBase, n)) + "\r\n";
    return text;
}

bool RemoveIgnoreEntry(SettingsFile& settings, int count, int i) {
    SettingsFile::Lock lock(settings);
    for (int j = i + 1; j <= count; ++j) {
        if (!settings.WriteText(IndexedKey(kEntryBase, j - 1), settings.ReadText(IndexedKey(kEntryBase, j))))
            return false;
    }
    return settings.WriteInt(kCountKey, count - 1);
}

} // namespace zelto
