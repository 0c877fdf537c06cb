#pragma once

#include "config/AddressText.h"
#include "config/DomainList.h"
#include "desktop/DialogContext.h"
#include "schema/ClientSettings.h"

#include <memory>
#include <string>

namespace zelto {

// What the Properties dialog shows: the three boxes, the status box, the method and the fixed address.
struct PropertiesFields {
    DomainInput input;
    std::string status;
    AddressMethod method = AddressMethod::Both;
    AddressFields fixedAddress;
};

// The Properties dialog's toolkit work, done by each skin.
class PropertiesView {
public:
    PropertiesView() = default;
    virtual ~PropertiesView() = default;
    PropertiesView(const PropertiesView&) = delete;
    PropertiesView& operator=(const PropertiesView&) = delete;

    // Sets the three boxes and the status box, each only when its text differs, so that the caret of a box
    // being typed in stays where it is.
    virtual void ShowTexts(const PropertiesFields& fields) = 0;
    // A message box over the dialog; returns when the user has closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // While a fresh IP update's requests run on the worker: the dialog shows that it is busy (the cursor,
    // Force IP Update unavailable) and keeps taking input.
    virtual void SetBusy(bool busy) = 0;
    // Ends the dialog with OK.
    virtual void CloseDialog() = 0;
};

// The Properties dialog's decisions: the first status text, what each button writes and shows, and that
// OK stays open when the save fails. Domain buttons write at once; the method and fixed address wait for OK.
class PropertiesModel {
public:
    PropertiesModel(DialogContext& context, PropertiesView& view);
    // A fresh IP update still running goes on; its result comes in the session's own box.
    ~PropertiesModel();
    PropertiesModel(const PropertiesModel&) = delete;
    PropertiesModel& operator=(const PropertiesModel&) = delete;

    // What the dialog opens with: the domain list or, when none is configured, the prompt (shown only here),
    // the stored method and fixed address.
    const PropertiesFields& Fields() const { return fields_; }

    // The user typed in one of the three boxes, or chose a method.
    void OnEdited(const DomainInput& input) { fields_.input = input; }
    void OnMethodChosen(AddressMethod method) { fields_.method = method; }

    void OnAddDomain();
    void OnRemoveDomain();
    void OnClearAllDomains();
    // Runs on the dialog worker; the outcome comes in a message box over the dialog, or, once the dialog has
    // closed, in one of the session's own.
    void OnForceIpUpdate();
    // Saves the method (and the fixed address shown) and closes; a failed save is told and the dialog stays.
    void OnOK(const AddressFields& fixedAddress);
    // Quit, Esc and the close button: the program ends.
    void OnCancel();

private:
    void Show(const DomainOutcome& outcome);

    DialogContext& context_;
    PropertiesView& view_;
    PropertiesFields fields_;
    // The view while the dialog is open, for a request's result that comes later; null once closed.
    std::shared_ptr<PropertiesView*> openView_;
};

} // namespace zelto
