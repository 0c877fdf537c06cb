#include "platform/windows/RegistryAutodialSetting.h"

#include <windows.h>

namespace zelto {
namespace {

constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kValue = "EnableAutodial";
constexpr const char* kCopyKey = "Software\\Zelto Premium";

void ToBytes(std::uint32_t value, BYTE (&buffer)[sizeof(std::uint32_t)]) {
    for (std::size_t i = 0; i < sizeof buffer; ++i)
        buffer[i] = static_cast<BYTE>(value >> (8 * i));
}

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
    type = readType_ = storedType;
    readValue_ = value;
    size_ = size;
    return true;
}

bool RegistryAutodialSetting::Write(std::uint32_t value, std::uint32_t type) {
    if (key_ == nullptr)
        return false;
    BYTE buffer[sizeof(std::uint32_t)];
    ToBytes(value, buffer);
    return ::RegSetValueExA(static_cast<HKEY>(key_), kValue, 0, type, buffer, size_) == ERROR_SUCCESS;
}

void RegistryAutodialSetting::Close() {
    if (key_ != nullptr)
        ::RegCloseKey(static_cast<HKEY>(key_));
    key_ = nullptr;
    size_ = sizeof(std::uint32_t);
}

bool RegistryAutodialSetting::KeepCopy() {
    BYTE buffer[sizeof(std::uint32_t)];
    ToBytes(readValue_, buffer);
    return key_ != nullptr &&
           ::RegSetKeyValueA(HKEY_CURRENT_USER, kCopyKey, kValue, readType_, buffer, size_) == ERROR_SUCCESS;
}

void RegistryAutodialSetting::DropCopy() {
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kCopyKey, kValue);
    // The key goes too when nothing else is in it.
    ::RegDeleteKeyExA(HKEY_CURRENT_USER, kCopyKey, 0, 0);
}

void RegistryAutodialSetting::RestoreKeptCopy() {
    BYTE buffer[sizeof(std::uint32_t)] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (::RegGetValueA(HKEY_CURRENT_USER, kCopyKey, kValue, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) !=
        ERROR_SUCCESS)
        return;
    if (::RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, type, buffer, size) == ERROR_SUCCESS)
        DropCopy();
}

} // namespace zelto
