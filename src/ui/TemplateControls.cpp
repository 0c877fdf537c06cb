#include "ui/TemplateControls.h"

#include "ResourceIds.h"
#include "ui/AppIcons.h"
#include "ui/IpAddressCtrl.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zelto::qt {

namespace {

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

QLabel* Label(const QString& text, QWidget* dialog) {
    auto* label = new QLabel(text, dialog);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QWidget* Create(const TemplateControl& control, QWidget* dialog) {
    const QString text = QString::fromLatin1(control.text);
    switch (control.kind) {
    case ControlKind::LineEdit: {
        auto* box = new QLineEdit(dialog);
        if (control.flags & TemplateControl::kPassword)
            box->setEchoMode(QLineEdit::Password);
        return box;
    }
    case ControlKind::TextBox: {
        auto* box = new QPlainTextEdit(dialog);
        box->setReadOnly((control.flags & TemplateControl::kReadOnly) != 0);
        if (control.flags & TemplateControl::kNoTabStop)
            box->setFocusPolicy(Qt::ClickFocus);
        if (control.flags & TemplateControl::kVerticalScroll)
            box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return box;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
        auto* push = new QPushButton(text, dialog);
        push->setDefault(control.kind == ControlKind::DefaultButton);
        return push;
    }
    case ControlKind::RadioButton:
        return new QRadioButton(text, dialog);
    case ControlKind::IpAddress:
        return new CIpAddressCtrl(dialog);
    case ControlKind::Label:
        return Label(text, dialog);
    case ControlKind::GroupBox:
        return new QGroupBox(text, dialog);
    case ControlKind::Icon: {
        QLabel* icon = Label(QString(), dialog);
        icon->setPixmap(ApplicationIcon().pixmap(32, 32));
        return icon;
    }
    case ControlKind::Bitmap: {
        auto* banner = new BannerLabel(dialog);
        banner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        banner->setAlignment(Qt::AlignCenter);
        return banner;
    }
    }
    return nullptr;
}

} // namespace

QWidget* CreateTemplateControl(const TemplateControl& control, QWidget* dialog) {
    QWidget* widget = Create(control, dialog);
    widget->setObjectName(control.id == IDC_STATIC ? QStringLiteral("IDC_STATIC") : ControlName(control.id));
    return widget;
}

} // namespace zelto::qt
