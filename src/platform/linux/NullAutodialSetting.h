#pragma once

#include "platform/AutodialSetting.h"

namespace zelto {

// Linux has no automatic dial-up switch: it can never be opened, so the dial-up guard does nothing.
class NullAutodialSetting : public AutodialSetting {
public:
    bool Open() override { return false; }
    bool Read(std::uint32_t&, std::uint32_t&) override { return false; }
    bool Write(std::uint32_t, std::uint32_t) override { return false; }
    void Close() override {}
    bool Held() override { return false; }
    bool Join() override { return false; }
    void Leave() override {}
    bool KeepCopy() override { return false; }
    void DropCopy() override {}
    void RestoreKeptCopy() override {}
};

} // namespace zelto
