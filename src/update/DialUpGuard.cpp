#include "update/DialUpGuard.h"

#include "platform/AutodialSetting.h"

namespace zelto {

DialUpGuard::DialUpGuard(AutodialSetting& setting) : setting_(setting) {}

DialUpGuard::~DialUpGuard() {
    Release();
}

void DialUpGuard::Engage() {
    changed_ = false;
    open_ = setting_.Open();
    if (!open_)
        return;
    std::uint32_t value = 0;
    if (!setting_.Read(value, type_) || value == 0)
        return;
    changed_ = setting_.Write(0, type_);
}

void DialUpGuard::Release() {
    // Switched back on as 1, whatever non-zero value was read.
    if (changed_)
        setting_.Write(1, type_);
    changed_ = false;
    if (open_)
        setting_.Close();
    open_ = false;
}

} // namespace zelto
