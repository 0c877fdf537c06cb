#pragma once

#include "config/AddressMethod.h"
#include "ui/DialogContext.h"
#include "ui/MessageBox.h"

#include <QDialog>
#include <QString>

#include <array>

class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace zelto {

class CIpAddressCtrl;
struct DomainOutcome;

// The Properties dialog: the domain list, the address method and fixed address, the ignore list, the fresh
// IP update and the About box. Quit (and every other way of cancelling) ends the program.
class CPropertiesDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPropertiesDlg(DialogContext& context, QWidget* parent = nullptr);

    // Replaces the message box of Force IP Update and of failed writes.
    void SetMessageBox(MessageBoxFn showMessage);

    // The fields the boxes are bound to: pulled after every edit, pushed after every domain operation.
    CIpAddressCtrl* m_ipAddress = nullptr;
    QString m_password;
    QString m_status;
    QString m_topLevel;
    QString m_domain;
    // The address method shown.
    AddressMethod m_method = AddressMethod::Both;

    static constexpr int kPasswordMaxLength = 8;

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
    void PushFields();
    void SetMethod(AddressMethod method);
    void ShowOutcome(const DomainOutcome& outcome);
    void ReportWriteFailure();

    DialogContext& m_context;
    MessageBoxFn m_showMessage;
    QPlainTextEdit* m_statusBox = nullptr;
    QLineEdit* m_domainBox = nullptr;
    QLineEdit* m_topLevelBox = nullptr;
    QLineEdit* m_passwordBox = nullptr;
    std::array<QRadioButton*, 4> m_methodButtons{}; // indexed by AddressMethod
    bool m_pushing = false;
};

} // namespace zelto
