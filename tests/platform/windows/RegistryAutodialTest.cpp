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

TEST(RegistryAutodialTest, GuardSwitchesAutodialOffForTheRequestAndBackOnAsTheOriginalDid) {
    const AutodialRegistry registry;
    const RegistryValue binaryOne{REG_BINARY, {1, 0, 0, 0}};
    const RegistryValue binaryZero{REG_BINARY, {0, 0, 0, 0}};
    const RegistryValue qword{REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}};
    const GuardCase cases[] = {
        {"on", AutodialRegistry::Dword(1), AutodialRegistry::Dword(0), AutodialRegistry::Dword(1)},
        {"off stays off", AutodialRegistry::Dword(0), AutodialRegistry::Dword(0), AutodialRegistry::Dword(0)},
        // Put back as 1, whatever non-zero value was read.
        {"on as 7", AutodialRegistry::Dword(7), AutodialRegistry::Dword(0), AutodialRegistry::Dword(1)},
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
        guard.Release();
        EXPECT_EQ(AutodialRegistry::Get(), c.after) << c.name;
    }
}

} // namespace
} // namespace zelto::wintest
