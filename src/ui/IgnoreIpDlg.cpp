#include "ui/IgnoreIpDlg.h"

#include "ui/AppIcons.h"
#include "ui/DialogIds.h"
#include "ui/DialogTemplate.h"
#include "ui/IpAddressCtrl.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace zelto {

using namespace ignore_ids;

CIgnoreIpDlg::CIgnoreIpDlg(SettingsFile& settings, QWidget* parent)
    : QDialog(parent), m_model(settings, *this), m_showMessage(&ShowWarningMessage) {
    setObjectName(QStringLiteral("CIgnoreIpDlg"));
    setWindowTitle(QStringLiteral("Zelto Ignore IP List"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(ApplicationIcon());

    auto* layout = new DialogTemplate(this, 186, 130);
    const auto button = [&](int id, const QString& text, int x, int y) {
        auto* push = new QPushButton(text, this);
        push->setObjectName(ControlName(id));
        layout->Place(push, x, y, 50, 14);
        return push;
    };

    // Created in template order, which is also the tab order; the control starts blank.
    m_ipAddress = new CIpAddressCtrl(this);
    m_ipAddress->setObjectName(ControlName(kIpAddress));
    layout->Place(m_ipAddress, 62, 67, 95, 11);
    // The default button: Enter while typing an address adds it.
    QPushButton* add = button(kAddIp, QStringLiteral("Add IP"), 50, 82);
    add->setDefault(true);
    connect(add, &QPushButton::clicked, this, &CIgnoreIpDlg::OnAddIp);
    connect(button(kRemoveIp, QStringLiteral("Remove IP"), 107, 82), &QPushButton::clicked, this,
            &CIgnoreIpDlg::OnRemoveIp);
    connect(button(ids::kOk, QStringLiteral("OK"), 70, 109), &QPushButton::clicked, this, &QDialog::accept);
    QPushButton* cancel = button(ids::kCancel, QStringLiteral("Cancel"), 129, 108);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_listBox = new QPlainTextEdit(this);
    m_listBox->setObjectName(ControlName(kList));
    m_listBox->setReadOnly(true);
    m_listBox->setFocusPolicy(Qt::ClickFocus);
    m_listBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_listBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->Place(m_listBox, 15, 24, 155, 41);

    auto* heading = new QLabel(QStringLiteral("Below are the IP addresses to ignore:"), this);
    heading->setObjectName(QStringLiteral("IDC_STATIC_HEADING"));
    heading->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->Place(heading, 16, 13, 126, 9);
    auto* caption = new QLabel(QStringLiteral("IP Address"), this);
    caption->setObjectName(QStringLiteral("IDC_STATIC_IPADDRESS"));
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->Place(caption, 24, 68, 36, 8);
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("IDC_STATIC_GROUP"));
    layout->PlaceFrame(frame, 7, 5, 172, 96);
    frame->lower(); // behind the controls it frames, so that clicks reach them

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

} // namespace zelto
