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
    if (!setting_.Read(value_, type_) || value_ == 0 || !setting_.KeepCopy())
        return;
    changed_ = setting_.Write(0, type_);
    if (!changed_)
        setting_.DropCopy();
}

void DialUpGuard::Release() {
    // A value that cannot be written back stays kept, for the next start to put back.
    if (changed_ && setting_.Write(value_, type_))
        setting_.DropCopy();
    changed_ = false;
    if (open_)
        setting_.Close();
    open_ = false;
}

} // namespace zelto
