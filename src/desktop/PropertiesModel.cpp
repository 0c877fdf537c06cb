#include "desktop/PropertiesModel.h"

#include "config/AddressMethod.h"
#include "config/FreshIpUpdate.h"
#include "desktop/DesktopTexts.h"
#include "desktop/DialogWorker.h"
#include "platform/SettingsText.h"

namespace zelto {

namespace {

constexpr const char* kPrompt = "Please enter domain(e.g. zelto or microsoft), top level(e.g. com or net) and "
                                "password(6-8 characters) below. ";

} // namespace

PropertiesModel::PropertiesModel(DialogContext& context, PropertiesView& view)
    : context_(context), view_(view), openView_(std::make_shared<PropertiesView*>(&view)) {
    fields_.status = ClientSettingsView(context_.settings).DomainCount() != 0
                         ? ShownText(BuildDomainListText(context_.settings))
                         : std::string(kPrompt);
    fields_.method = LoadDialogMethod(context_.settings);
    fields_.fixedAddress = LoadFixedAddress(context_.settings);
}

PropertiesModel::~PropertiesModel() {
    *openView_ = nullptr;
}

void PropertiesModel::OnAddDomain() {
    Show(AddTypedDomain(context_.settings, fields_.input));
}

void PropertiesModel::OnRemoveDomain() {
    Show(RemoveTypedDomain(context_.settings, fields_.input));
}

void PropertiesModel::OnClearAllDomains() {
    Show(ClearDomains(context_.settings));
}

void PropertiesModel::Show(const DomainOutcome& outcome) {
    fields_.status = ShownText(outcome.status);
    if (outcome.clearInputs)
        fields_.input = {};
    view_.ShowTexts(fields_);
    if (outcome.writeFailed)
        view_.ShowMessage(WriteFailedText(context_.settings));
}

// Against a service that does not answer, the requests take a minute each: on the GUI thread they would
// freeze the dialog and the tray menu, and hold up signing out.
void PropertiesModel::OnForceIpUpdate() {
    DialogContext& context = context_;
    auto outcome = std::make_shared<FreshIpUpdateOutcome>();
    const bool started = context.worker.Start(
        [&context, outcome](const StopSignal& stop) {
            *outcome = RunFreshIpUpdate(context.settings, context.http, context.sound, &stop);
        },
        [&context, outcome, open = openView_] {
            if (PropertiesView* view = *open) {
                view->SetBusy(false);
                view->ShowMessage(ShownText(outcome->message));
            } else {
                context.tell(outcome->message); // the session's notices make it shown text
            }
        });
    // One at a time: while a second Properties dialog's update runs, this press does nothing.
    if (started)
        view_.SetBusy(true);
}

void PropertiesModel::OnOK(const AddressFields& fixedAddress) {
    // A method the user chose and then lost would be found out only when updates go wrong: the dialog
    // stays open, so that OK can be tried again.
    switch (SaveAddressMethod(context_.settings, fields_.method, fixedAddress)) {
    case AddressSave::Saved:
        view_.CloseDialog();
        return;
    case AddressSave::Unreachable:
        // Told as the other typed values are, in the status box.
        fields_.status = UnreachableAddressText(fixedAddress);
        view_.ShowTexts(fields_);
        return;
    case AddressSave::WriteFailed:
        break;
    }
    view_.ShowMessage(WriteFailedText(context_.settings));
}

void PropertiesModel::OnCancel() {
    context_.quit();
}

} // namespace zelto
