#pragma once

#include <cstdint>

namespace zelto {

class AutodialSetting;

// Keeps a request from starting an automatic dial-up connection: engage switches the setting off when it
// was on, release switches it back on (to 1) when engage changed it.
class DialUpGuard {
public:
    explicit DialUpGuard(AutodialSetting& setting);
    ~DialUpGuard();
    DialUpGuard(const DialUpGuard&) = delete;
    DialUpGuard& operator=(const DialUpGuard&) = delete;

    void Engage();
    void Release();
    bool Changed() const { return changed_; }

private:
    AutodialSetting& setting_;
    bool open_ = false;
    bool changed_ = false;
    std::uint32_t type_ = 0;
};

} // namespace zelto
