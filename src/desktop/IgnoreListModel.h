#pragma once

#include "config/AddressText.h"

#include <string>

namespace zelto {

class SettingsFile;

// The Ignore IP List dialog's toolkit work, done by each skin.
class IgnoreListView {
public:
    IgnoreListView() = default;
    virtual ~IgnoreListView() = default;
    IgnoreListView(const IgnoreListView&) = delete;
    IgnoreListView& operator=(const IgnoreListView&) = delete;

    // The list box's text, one address per line.
    virtual void ShowList(const std::string& text) = 0;
    // A message box over the dialog; returns when the user has closed it.
    virtual void ShowMessage(const std::string& text) = 0;
};

// The Ignore IP List dialog's decisions: each button writes at once and the list is shown again after it;
// a failed write is told. The address control keeps what the user typed.
class IgnoreListModel {
public:
    IgnoreListModel(SettingsFile& settings, IgnoreListView& view);

    // The list the dialog opens with.
    const std::string& ListText() const { return list_; }

    void OnAddIp(const AddressFields& address);
    void OnRemoveIp(const AddressFields& address);

private:
    void Refresh(bool written);

    SettingsFile& settings_;
    IgnoreListView& view_;
    std::string list_;
};

} // namespace zelto
