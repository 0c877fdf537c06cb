// The dial-up guard of the engine over the real "EnableAutodial" value, in the test prefix's registry.

#include "AutodialRegistry.h"
#include "platform/windows/RegistryAutodialSetting.h"
#include "update/DialUpGuard.h"

#include <gtest/gtest.h>

namespace zelto::wintest {
namespace {

struct GuardCase {
    const char* name;
    std::optional<RegistryValue> before;
    std::optional<RegistryValue> during;
    std::optional<RegistryValue> after;
};

// Where the guard keeps the user's value while it is switched off.
std::optional<RegistryValue> KeptCopy() {
    BYTE buffer[64];
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Zelto Premium", AutodialRegistry::kValue,
                       RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return RegistryValue{type, std::vector<BYTE>(buffer, buffer + size)};
}

TEST(RegistryAutodialTest, GuardSwitchesAutodialOffForTheRequestAndPutsBackTheSameTypeAndBytes) {
    const AutodialRegistry registry;
    const RegistryValue binaryOne{REG_BINARY, {1, 0, 0, 0}};
    const RegistryValue binaryZero{REG_BINARY, {0, 0, 0, 0}};
    const RegistryValue qword{REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}};
    const GuardCase cases[] = {
        {"on", AutodialRegistry::Dword(1), AutodialRegistry::Dword(0), AutodialRegistry::Dword(1)},
        {"off stays off", AutodialRegistry::Dword(0), AutodialRegistry::Dword(0), AutodialRegistry::Dword(0)},
        {"on as 2", AutodialRegistry::Dword(2), AutodialRegistry::Dword(0), AutodialRegistry::Dword(2)},
        // L"1" with its terminator, as reg.exe writes it.
        {"text", RegistryValue{REG_SZ, {'1', 0, 0, 0}}, RegistryValue{REG_SZ, {0, 0, 0, 0}},
         RegistryValue{REG_SZ, {'1', 0, 0, 0}}},
        {"type kept", binaryOne, binaryZero, binaryOne},
        // A value longer than 4 bytes cannot be read into the guard's buffer: left alone.
        {"too long", qword, qword, qword},
        {"missing stays missing", std::nullopt, std::nullopt, std::nullopt},
    };
    for (const GuardCase& c : cases) {
        AutodialRegistry::Set(c.before);
        RegistryAutodialSetting setting;
        DialUpGuard guard(setting);
        guard.Engage();
        EXPECT_EQ(AutodialRegistry::Get(), c.during) << c.name;
        EXPECT_EQ(KeptCopy(), guard.Changed() ? c.before : std::nullopt) << c.name;
        guard.Release();
        EXPECT_EQ(AutodialRegistry::Get(), c.after) << c.name;
        EXPECT_EQ(KeptCopy(), std::nullopt) << c.name;
    }
}

} // namespace
} // namespace zelto::wintest
