// The dial-up guard of the engine over the real "EnableAutodial" value, in the test prefix's registry.

#include "platform/windows/RegistryAutodialSetting.h"
#include "update/DialUpGuard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace zelto::wintest {
namespace {

const wchar_t* const kInternetSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// Where the guard keeps the user's value while it is switched off.
const wchar_t* const kKeptCopy = L"Software\\Zelto Premium";

struct RegistryValue {
    DWORD type;
    std::vector<BYTE> bytes;
    bool operator==(const RegistryValue&) const = default;
};
using Value = std::optional<RegistryValue>;

Value Autodial(const wchar_t* key = kInternetSettings) {
    BYTE buffer[64];
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, L"EnableAutodial", RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return RegistryValue{type, std::vector<BYTE>(buffer, buffer + size)};
}

void SetAutodial(const Value& value) {
    if (!value)
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"EnableAutodial");
    else
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"EnableAutodial", value->type, value->bytes.data(),
                          static_cast<DWORD>(value->bytes.size()));
}

TEST(RegistryAutodialTest, GuardSwitchesAutodialOffForTheRequestAndPutsBackTheSameTypeAndBytes) {
    const Value users = Autodial();
    const RegistryValue binaryOne{REG_BINARY, {1, 0, 0, 0}};
    const RegistryValue qword{REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}};
    const struct {
        const char* name;
        Value before;
        Value during;
    } cases[] = {
        // L"1" with its terminator, as reg.exe writes it.
        {"text", RegistryValue{REG_SZ, {'1', 0, 0, 0}}, RegistryValue{REG_SZ, {0, 0, 0, 0}}},
        {"type kept", binaryOne, RegistryValue{REG_BINARY, {0, 0, 0, 0}}},
        // A value longer than 4 bytes cannot be read into the guard's buffer: left alone.
        {"too long", qword, qword},
        {"missing stays missing", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SetAutodial(c.before);
        RegistryAutodialSetting setting;
        DialUpGuard guard(setting);
        guard.Engage();
        EXPECT_EQ(Autodial(), c.during) << c.name;
        EXPECT_EQ(Autodial(kKeptCopy), guard.Changed() ? c.before : std::nullopt) << c.name;
        guard.Release();
        EXPECT_EQ(Autodial(), c.before) << c.name;
        EXPECT_EQ(Autodial(kKeptCopy), std::nullopt) << c.name;
    }
    SetAutodial(users);
}

} // namespace
} // namespace zelto::wintest
