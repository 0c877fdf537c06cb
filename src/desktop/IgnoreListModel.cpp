#include "desktop/IgnoreListModel.h"

#include "config/IgnoreList.h"
#include "desktop/DesktopTexts.h"

namespace zelto {

IgnoreListModel::IgnoreListModel(SettingsFile& settings, IgnoreListView& view)
    : settings_(settings), view_(view), list_(BuildIgnoreListText(settings)) {}

void IgnoreListModel::OnAddIp(const AddressFields& address) {
    Refresh(AddIgnoredAddress(settings_, address));
}

void IgnoreListModel::OnRemoveIp(const AddressFields& address) {
    Refresh(RemoveIgnoredAddress(settings_, address) != IgnoreRemoval::WriteFailed);
}

// Shown again even after a failed write: another program may have changed the list meanwhile.
void IgnoreListModel::Refresh(bool written) {
    list_ = BuildIgnoreListText(settings_);
    view_.ShowList(list_);
    if (!written)
        view_.ShowMessage(WriteFailedText(settings_));
}

} // namespace zelto
