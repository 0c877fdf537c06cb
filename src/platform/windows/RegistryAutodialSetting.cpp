#include "platform/windows/RegistryAutodialSetting.h"

#include <windows.h>

namespace zelto {
namespace {

constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kValue = "EnableAutodial";

} // namespace

RegistryAutodialSetting::~RegistryAutodialSetting() {
    Close();
}

bool RegistryAutodialSetting::Open() {
    Close();
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    key_ = key;
    return true;
}

bool RegistryAutodialSetting::Read(std::uint32_t& value, std::uint32_t& type) {
    if (key_ == nullptr)
        return false;
    // A 4-byte buffer: a longer value fails the read and is left alone.
    BYTE buffer[sizeof(std::uint32_t)] = {};
    DWORD storedType = 0;
    DWORD size = sizeof buffer;
    if (::RegQueryValueExA(static_cast<HKEY>(key_), kValue, nullptr, &storedType, buffer, &size) != ERROR_SUCCESS)
        return false;
    value = static_cast<std::uint32_t>(buffer[0]) | static_cast<std::uint32_t>(buffer[1]) << 8 |
            static_cast<std::uint32_t>(buffer[2]) << 16 | static_cast<std::uint32_t>(buffer[3]) << 24;
    type = storedType;
    size_ = size;
    return true;
}

bool RegistryAutodialSetting::Write(std::uint32_t value, std::uint32_t type) {
    if (key_ == nullptr)
        return false;
    const BYTE buffer[sizeof(std::uint32_t)] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                                                static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return ::RegSetValueExA(static_cast<HKEY>(key_), kValue, 0, type, buffer, size_) == ERROR_SUCCESS;
}

void RegistryAutodialSetting::Close() {
    if (key_ != nullptr)
        ::RegCloseKey(static_cast<HKEY>(key_));
    key_ = nullptr;
    size_ = sizeof(std::uint32_t);
}

} // namespace zelto
