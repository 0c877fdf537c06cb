#include "update/DialUpGuard.h"

#include "platform/AutodialSetting.h"

#include <cstdint>

namespace zelto {

DialUpGuard::DialUpGuard(AutodialSetting& setting) : setting_(setting) {}

DialUpGuard::~DialUpGuard() {
    Release();
}

// Under the setting's lock: a request that finds it held by another only joins, since the value it would
// read is not the user's.
void DialUpGuard::Engage() {
    changed_ = false;
    if (joined_ || !setting_.Open())
        return;
    setting_.RestoreKeptCopy(); // left by a process killed while holding it
    const bool held = setting_.Held();
    changed_ = !held && SwitchOff();
    joined_ = (held || changed_) && setting_.Join();
    if (changed_ && !joined_)
        setting_.RestoreKeptCopy();
    setting_.Close();
}

bool DialUpGuard::SwitchOff() {
    std::uint32_t value = 0;
    std::uint32_t type = 0;
    if (!setting_.Read(value, type) || value == 0 || !setting_.KeepCopy())
        return false;
    if (setting_.Write(0, type))
        return true;
    setting_.DropCopy();
    return false;
}

// A value that cannot be written back stays kept, for the next start to put back; so does a request that
// cannot take the lock, counted until its process ends.
void DialUpGuard::Release() {
    changed_ = false;
    if (!joined_ || !setting_.Open())
        return;
    joined_ = false;
    setting_.Leave();
    setting_.RestoreKeptCopy();
    setting_.Close();
}

} // namespace zelto
