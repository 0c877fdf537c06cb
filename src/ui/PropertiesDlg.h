#pragma once

#include "desktop/PropertiesModel.h"
#include "ui/MessageBox.h"

#include <QDialog>
#include <QString>

#include <array>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace zelto::qt {

class CIpAddressCtrl;

// The Properties dialog's Qt skin: the widgets of template 102 over the one model. Quit (and every other way
// of cancelling) ends the program.
class CPropertiesDlg : public QDialog, private PropertiesView {
    Q_OBJECT

public:
    explicit CPropertiesDlg(DialogContext& context, QWidget* parent = nullptr);

    // Replaces the message box of Force IP Update and of failed writes.
    void SetMessageBox(MessageBoxFn showMessage);

    CIpAddressCtrl* m_ipAddress = nullptr;

public slots:
    void OnOK();
    void OnCancel();
    void OnAddDomain();
    void OnRemoveDomain();
    void OnClearAllDomains();
    void OnForceIpUpdate();
    void OnIgnoreIpList();
    void OnAbout();

    // Every way of closing the dialog goes through OnOK or OnCancel.
    void accept() override;
    void reject() override;

protected:
    void OnInitDialog();

private:
    void CreateControls();
    void PullFields();
    void SetMethod(AddressMethod method);

    void ShowTexts(const PropertiesFields& fields) override;
    void ShowMessage(const std::string& text) override;
    void SetBusy(bool busy) override;
    void CloseDialog() override;

    DialogContext& m_context;
    PropertiesModel m_model;
    MessageBoxFn m_showMessage;
    QPlainTextEdit* m_statusBox = nullptr;
    QLineEdit* m_domainBox = nullptr;
    QLineEdit* m_topLevelBox = nullptr;
    QLineEdit* m_passwordBox = nullptr;
    QPushButton* m_forceButton = nullptr;
    std::array<QRadioButton*, 4> m_methodButtons{}; // indexed by AddressMethod
    bool m_pushing = false;
};

} // namespace zelto::qt
