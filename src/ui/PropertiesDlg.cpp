#include "ui/PropertiesDlg.h"

#include "ui/AboutDlg.h"
#include "ui/AppIcons.h"
#include "ui/DialogIds.h"
#include "ui/DialogTemplate.h"
#include "ui/IgnoreIpDlg.h"
#include "ui/IpAddressCtrl.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zelto {

namespace {

using namespace properties_ids;

// The banner keeps its proportions inside whatever size the font gives its frame.
class BannerLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        setPixmap(BannerPixmap(contentsRect().size(), devicePixelRatio()));
    }
};

} // namespace

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
    setWindowTitle(QStringLiteral("Zelto Premium Client Properties"));
    // Of a fixed size, so no Maximize button.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(ApplicationIcon());

    auto* layout = new DialogTemplate(this, 220, 266);
    const auto edit = [&](int id, int x, int y, int width, int height) {
        auto* box = new QLineEdit(this);
        box->setObjectName(ControlName(id));
        layout->Place(box, x, y, width, height);
        connect(box, &QLineEdit::textChanged, this, &CPropertiesDlg::PullFields);
        return box;
    };
    const auto button = [&](int id, const QString& text, int x, int y, int width, int height) {
        auto* push = new QPushButton(text, this);
        push->setObjectName(ControlName(id));
        layout->Place(push, x, y, width, height);
        return push;
    };
    const auto label = [&](const QString& name, const QString& text, int x, int y, int width, int height) {
        auto* caption = new QLabel(text, this);
        caption->setObjectName(name);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        caption->setWordWrap(true);
        layout->Place(caption, x, y, width, height);
        return caption;
    };

    // Created in template order, which is also the tab order.
    m_domainBox = edit(kDomain, 13, 100, 77, 13);
    m_topLevelBox = edit(kTopLevel, 97, 100, 37, 13);
    m_passwordBox = edit(kPassword, 143, 101, 62, 12);
    m_passwordBox->setEchoMode(QLineEdit::Password);
    connect(button(kRemoveDomain, QStringLiteral("Remove Domain"), 78, 117, 60, 14), &QPushButton::clicked, this,
            &CPropertiesDlg::OnRemoveDomain);
    connect(button(kAddDomain, QStringLiteral("Add Domain"), 145, 117, 60, 14), &QPushButton::clicked, this,
            &CPropertiesDlg::OnAddDomain);

    auto* methods = new QButtonGroup(this);
    const auto radio = [&](int id, AddressMethod method, const QString& text, int x, int y, int width, int height) {
        auto* choice = new QRadioButton(text, this);
        choice->setObjectName(ControlName(id));
        layout->Place(choice, x, y, width, height);
        // The button's id in the group is its method's value.
        methods->addButton(choice, static_cast<int>(method));
        m_methodButtons[static_cast<std::size_t>(method)] = choice;
    };
    radio(kServer, AddressMethod::Server, QStringLiteral("Detect IP from Server Side"), 23, 158, 100, 10);
    radio(kClient, AddressMethod::Client, QStringLiteral("Detect IP on Client Side"), 23, 148, 91, 10);
    radio(kBoth, AddressMethod::Both, QStringLiteral("Detect IP Address from both Client and Server side"), 23, 138,
          175, 10);
    radio(kFixed, AddressMethod::Fixed, QStringLiteral("Use this IP Address"), 23, 168, 77, 10);
    // Checked by a click, the arrow keys or a call alike.
    connect(methods, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            SetMethod(static_cast<AddressMethod>(id));
    });

    m_ipAddress = new CIpAddressCtrl(this);
    m_ipAddress->setObjectName(ControlName(kIpAddress));
    layout->Place(m_ipAddress, 100, 168, 96, 12);
    connect(m_ipAddress, &CIpAddressCtrl::addressChanged, this, &CPropertiesDlg::PullFields);

    m_forceButton = button(kForceIpUpdate, QStringLiteral("Force IP Update"), 7, 207, 83, 14);
    connect(m_forceButton, &QPushButton::clicked, this, &CPropertiesDlg::OnForceIpUpdate);
    connect(button(kClearAllDomains, QStringLiteral("Clear All Domains"), 7, 225, 83, 14), &QPushButton::clicked, this,
            &CPropertiesDlg::OnClearAllDomains);
    QPushButton* ok = button(ids::kOk, QStringLiteral("OK"), 103, 245, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPropertiesDlg::OnOK);
    connect(button(ids::kCancel, QStringLiteral("Quit"), 163, 245, 50, 14), &QPushButton::clicked, this,
            &CPropertiesDlg::OnCancel);

    m_statusBox = new QPlainTextEdit(this);
    m_statusBox->setObjectName(ControlName(kStatus));
    m_statusBox->setReadOnly(true);
    m_statusBox->setFocusPolicy(Qt::ClickFocus);
    m_statusBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette readOnly = m_statusBox->palette(); // a read-only box shows the dialog's colour
    readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Window));
    m_statusBox->setPalette(readOnly);
    layout->Place(m_statusBox, 14, 56, 191, 33);

    label(QStringLiteral("IDC_STATIC_DOMAIN"), QStringLiteral("Domain"), 13, 91, 25, 8);
    label(QStringLiteral("IDC_STATIC_PASSWORD"), QStringLiteral("Password"), 143, 91, 33, 8);
    auto* banner = new BannerLabel(this);
    banner->setObjectName(QStringLiteral("IDC_STATIC_BANNER"));
    banner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    banner->setAlignment(Qt::AlignCenter);
    layout->Place(banner, 57, 0, 105, 50);
    label(QStringLiteral("IDC_STATIC_TOPLEVEL"), QStringLiteral("Top Level"), 97, 91, 35, 8);
    label(QStringLiteral("IDC_STATIC_FORCE"),
          QStringLiteral("(Use this option to initialize and enable fresh ip update to take place)"), 96, 206, 117, 16);
    label(QStringLiteral("IDC_STATIC_CLEAR"),
          QStringLiteral("(Use this option to clear all domains loaded for dynamic dns update)"), 96, 224, 114, 16);
    connect(button(kIgnoreIpList, QStringLiteral("Ignore IP List"), 7, 189, 83, 14), &QPushButton::clicked, this,
            &CPropertiesDlg::OnIgnoreIpList);
    label(QStringLiteral("IDC_STATIC_IGNORE"),
          QStringLiteral("(Use this option to set ip addresses which should not be detected)"), 96, 187, 117, 16);
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("IDC_STATIC_GROUP"));
    layout->PlaceFrame(frame, 7, 48, 206, 137);
    frame->lower(); // behind the controls it frames, so that clicks reach them
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

} // namespace zelto
