#pragma once

#include "platform/AutodialSetting.h"

#include <cstdint>

namespace zelto {

// The system's automatic dial-up switch: the value "EnableAutodial" under HKEY_CURRENT_USER, key
// "Software\Microsoft\Windows\CurrentVersion\Internet Settings". Values are written with the type and size
// they were read with. The kept copy is a value of the same name, type and bytes under the program's own
// key, HKEY_CURRENT_USER\Software\Zelto Premium; beside it, each process holding the switch off is a value
// "DialUpHolder<process id>", alive while the process keeps a mutex of its own open (a killed process's
// closes with it). A named mutex is the lock of every change.
class RegistryAutodialSetting : public AutodialSetting {
public:
    RegistryAutodialSetting() = default;
    ~RegistryAutodialSetting() override;

    bool Open() override;
    bool Read(std::uint32_t& value, std::uint32_t& type) override;
    bool Write(std::uint32_t value, std::uint32_t type) override;
    void Close() override;
    bool Held() override;
    bool Join() override;
    void Leave() override;
    bool KeepCopy() override;
    void DropCopy() override;
    void RestoreKeptCopy() override;

private:
    bool Lock();
    void Unlock();

    void* lock_ = nullptr; // the named mutex's HANDLE
    bool locked_ = false;
    void* key_ = nullptr; // the open HKEY
    std::uint32_t size_ = sizeof(std::uint32_t);
    std::uint32_t readType_ = 0;
    std::uint32_t readValue_ = 0;
};

} // namespace zelto
