#pragma once

#include "platform/AutodialSetting.h"

#include <cstdint>

namespace zelto {

// The system's automatic dial-up switch: the value "EnableAutodial" under HKEY_CURRENT_USER, key
// "Software\Microsoft\Windows\CurrentVersion\Internet Settings". Values are written with the type and size
// they were read with.
class RegistryAutodialSetting : public AutodialSetting {
public:
    RegistryAutodialSetting() = default;
    ~RegistryAutodialSetting() override;

    bool Open() override;
    bool Read(std::uint32_t& value, std::uint32_t& type) override;
    bool Write(std::uint32_t value, std::uint32_t type) override;
    void Close() override;

private:
    void* key_ = nullptr; // the open HKEY
    std::uint32_t size_ = sizeof(std::uint32_t);
};

} // namespace zelto
