#include "ui/IgnoreIpDlg.h"

#include "ui/AppIcons.h"
#include "ui/DialogTemplate.h"
#include "ui/DialogTemplates.h"
#include "ui/IpAddressCtrl.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace zelto::qt {

CIgnoreIpDlg::CIgnoreIpDlg(SettingsFile& settings, QWidget* parent)
    : QDialog(parent), m_model(settings, *this), m_showMessage(&ShowWarningMessage) {
    setObjectName(QStringLiteral("CIgnoreIpDlg"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(ApplicationIcon());

    const auto* layout = new DialogTemplate(this, DialogTemplateOf<IDD_IGNOREIP>::kResource);
    m_ipAddress = layout->Control<CIpAddressCtrl>(IDC_IPADDRESS);
    // The default button: Enter while typing an address adds it.
    connect(layout->Control<QPushButton>(IDC_ADD_IP), &QPushButton::clicked, this, &CIgnoreIpDlg::OnAddIp);
    connect(layout->Control<QPushButton>(IDC_REMOVE_IP), &QPushButton::clicked, this, &CIgnoreIpDlg::OnRemoveIp);
    connect(layout->Control<QPushButton>(IDOK), &QPushButton::clicked, this, &QDialog::accept);
    connect(layout->Control<QPushButton>(IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
    m_listBox = layout->Control<QPlainTextEdit>(IDC_IGNORE_LIST);
    m_listBox->setLineWrapMode(QPlainTextEdit::NoWrap);

    ShowList(m_model.ListText());
    m_ipAddress->setFocus();
}

void CIgnoreIpDlg::SetMessageBox(MessageBoxFn showMessage) {
    m_showMessage = std::move(showMessage);
}

void CIgnoreIpDlg::OnAddIp() {
    m_model.OnAddIp(m_ipAddress->Address());
}

void CIgnoreIpDlg::OnRemoveIp() {
    m_model.OnRemoveIp(m_ipAddress->Address());
}

void CIgnoreIpDlg::ShowList(const std::string& text) {
    QString lines = QString::fromStdString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_listBox->setPlainText(lines);
}

void CIgnoreIpDlg::ShowMessage(const std::string& text) {
    m_showMessage(this, QString::fromStdString(text));
}

} // namespace zelto::qt
