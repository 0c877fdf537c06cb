#include "ui/PropertiesDlg.h"

#include "ui/AboutDlg.h"
#include "ui/AppIcons.h"
#include "ui/DialogTemplate.h"
#include "ui/DialogTemplates.h"
#include "ui/IgnoreIpDlg.h"
#include "ui/IpAddressCtrl.h"

#include <QAction>
#include <QButtonGroup>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zelto::qt {

CPropertiesDlg::CPropertiesDlg(DialogContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_model(context, *this), m_showMessage(&ShowWarningMessage) {
    CreateControls();
    OnInitDialog();
}

void CPropertiesDlg::SetMessageBox(MessageBoxFn showMessage) {
    m_showMessage = std::move(showMessage);
}

void CPropertiesDlg::CreateControls() {
    setObjectName(QStringLiteral("CPropertiesDlg"));
    // Of a fixed size, so no Maximize button.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(ApplicationIcon());

    const auto* layout = new DialogTemplate(this, DialogTemplateOf<IDD_PROPERTIES>::kResource);
    const auto edit = [&](int id) {
        auto* box = layout->Control<QLineEdit>(id);
        connect(box, &QLineEdit::textChanged, this, &CPropertiesDlg::PullFields);
        return box;
    };
    const auto button = [&](int id, void (CPropertiesDlg::*slot)()) {
        auto* push = layout->Control<QPushButton>(id);
        connect(push, &QPushButton::clicked, this, slot);
        return push;
    };
    m_domainBox = edit(IDC_DOMAIN);
    m_topLevelBox = edit(IDC_TOPLEVEL);
    m_passwordBox = edit(IDC_PASSWORD);
    button(IDC_REMOVE_DOMAIN, &CPropertiesDlg::OnRemoveDomain);
    button(IDC_ADD_DOMAIN, &CPropertiesDlg::OnAddDomain);
    m_forceButton = button(IDC_FORCE_IP_UPDATE, &CPropertiesDlg::OnForceIpUpdate);
    button(IDC_CLEAR_ALL_DOMAINS, &CPropertiesDlg::OnClearAllDomains);
    button(IDOK, &CPropertiesDlg::OnOK);
    button(IDCANCEL, &CPropertiesDlg::OnCancel);
    button(IDC_IGNORE_IP_LIST, &CPropertiesDlg::OnIgnoreIpList);

    auto* methods = new QButtonGroup(this);
    const auto radio = [&](int id, AddressMethod method) {
        auto* choice = layout->Control<QRadioButton>(id);
        // The button's id in the group is its method's value.
        methods->addButton(choice, static_cast<int>(method));
        m_methodButtons[static_cast<std::size_t>(method)] = choice;
    };
    radio(IDC_METHOD_SERVER, AddressMethod::Server);
    radio(IDC_METHOD_CLIENT, AddressMethod::Client);
    radio(IDC_METHOD_BOTH, AddressMethod::Both);
    radio(IDC_METHOD_FIXED, AddressMethod::Fixed);
    // Checked by a click, the arrow keys or a call alike.
    connect(methods, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            SetMethod(static_cast<AddressMethod>(id));
    });

    m_ipAddress = layout->Control<CIpAddressCtrl>(IDC_IPADDRESS);
    connect(m_ipAddress, &CIpAddressCtrl::addressChanged, this, &CPropertiesDlg::PullFields);

    m_statusBox = layout->Control<QPlainTextEdit>(IDC_STATUS);
    m_statusBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette readOnly = m_statusBox->palette(); // a read-only box shows the dialog's colour
    readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Window));
    m_statusBox->setPalette(readOnly);
}

void CPropertiesDlg::OnInitDialog() {
    ShowTexts(m_model.Fields());
    m_passwordBox->setMaxLength(static_cast<int>(kPasswordMaxLength));

    // The window manager's system menu takes no items here: the About command lives in the dialog's
    // context menu and on F1.
    auto* about = new QAction(QStringLiteral("&About Zelto..."), this);
    about->setObjectName(QStringLiteral("IDM_ABOUTBOX"));
    about->setShortcut(QKeySequence(Qt::Key_F1));
    about->setShortcutContext(Qt::WindowShortcut);
    connect(about, &QAction::triggered, this, &CPropertiesDlg::OnAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    m_methodButtons[static_cast<std::size_t>(m_model.Fields().method)]->setChecked(true);

    m_ipAddress->SetAddress(m_model.Fields().fixedAddress);
    m_domainBox->setFocus();
}

void CPropertiesDlg::PullFields() {
    if (m_pushing)
        return; // a box set by ShowTexts must not pull the boxes not yet set over their fields
    m_model.OnEdited(
        {m_domainBox->text().toStdString(), m_topLevelBox->text().toStdString(), m_passwordBox->text().toStdString()});
}

void CPropertiesDlg::ShowTexts(const PropertiesFields& fields) {
    const auto push = [](QLineEdit* box, const std::string& text) {
        const QString shown = QString::fromStdString(text);
        if (box->text() != shown)
            box->setText(shown);
    };
    m_pushing = true;
    push(m_domainBox, fields.input.domain);
    push(m_topLevelBox, fields.input.topLevel);
    push(m_passwordBox, fields.input.password);
    m_pushing = false;
    const QString status = QString::fromStdString(fields.status);
    if (m_statusBox->toPlainText() != status)
        m_statusBox->setPlainText(status);
}

void CPropertiesDlg::ShowMessage(const std::string& text) {
    m_showMessage(this, QString::fromStdString(text));
}

// The pointer that says "working, but you may go on".
void CPropertiesDlg::SetBusy(bool busy) {
    m_forceButton->setEnabled(!busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void CPropertiesDlg::CloseDialog() {
    QDialog::accept();
}

void CPropertiesDlg::SetMethod(AddressMethod method) {
    m_model.OnMethodChosen(method);
    // The group is one tab stop, at the button selected; the arrow keys move within it.
    for (QRadioButton* button : m_methodButtons) {
        if (button)
            button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void CPropertiesDlg::OnOK() {
    m_model.OnOK(m_ipAddress->Address());
}

void CPropertiesDlg::OnCancel() {
    m_model.OnCancel();
    // The program is leaving; the dialog goes with it.
    QDialog::reject();
}

void CPropertiesDlg::accept() {
    OnOK();
}

void CPropertiesDlg::reject() {
    OnCancel();
}

void CPropertiesDlg::OnAddDomain() {
    PullFields();
    m_model.OnAddDomain();
}

void CPropertiesDlg::OnRemoveDomain() {
    PullFields();
    m_model.OnRemoveDomain();
}

void CPropertiesDlg::OnClearAllDomains() {
    m_model.OnClearAllDomains();
}

void CPropertiesDlg::OnForceIpUpdate() {
    m_model.OnForceIpUpdate();
}

void CPropertiesDlg::OnIgnoreIpList() {
    CIgnoreIpDlg dialog(m_context.settings, this);
    dialog.SetMessageBox(m_showMessage);
    dialog.exec();
}

void CPropertiesDlg::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

} // namespace zelto::qt
