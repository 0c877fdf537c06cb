#pragma once

// The test prefix's "EnableAutodial" value, set and read directly; put back as it was at the end.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace zelto::wintest {

struct RegistryValue {
    DWORD type;
    std::vector<BYTE> bytes;
    bool operator==(const RegistryValue&) const = default;
};

class AutodialRegistry {
public:
    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    static constexpr const wchar_t* kValue = L"EnableAutodial";

    AutodialRegistry() : saved_(Get()) {}
    ~AutodialRegistry() { Set(saved_); }
    AutodialRegistry(const AutodialRegistry&) = delete;
    AutodialRegistry& operator=(const AutodialRegistry&) = delete;

    static std::optional<RegistryValue> Get() {
        BYTE buffer[64];
        DWORD type = 0;
        DWORD size = sizeof buffer;
        if (::RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return RegistryValue{type, std::vector<BYTE>(buffer, buffer + size)};
    }

    static void Set(const std::optional<RegistryValue>& value) {
        if (!value) {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
            return;
        }
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, value->type, value->bytes.data(),
                          static_cast<DWORD>(value->bytes.size()));
    }

    static RegistryValue Dword(std::uint32_t value) {
        return {REG_DWORD, {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)}};
    }

private:
    std::optional<RegistryValue> saved_;
};

} // namespace zelto::wintest
