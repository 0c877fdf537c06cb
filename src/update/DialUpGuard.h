#pragma once

#include <cstdint>

namespace zelto {

class AutodialSetting;

// Keeps a request from starting an automatic dial-up connection: engage switches the setting off when it
// was on, release puts back the value it read, with its type and bytes. Before switching, engage keeps a
// copy of the value where the program's next start puts it back (AutodialSetting::RestoreKeptCopy), for a
// process that ends without releasing; when it cannot keep one it leaves the setting alone.
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
    std::uint32_t value_ = 0;
    std::uint32_t type_ = 0;
};

} // namespace zelto
