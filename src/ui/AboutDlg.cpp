#include "ui/AboutDlg.h"

#include "ui/AppIcons.h"
#include "ui/DialogIds.h"
#include "ui/DialogTemplate.h"

#include <QLabel>
#include <QPushButton>

namespace zelto {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("About Zelto Premium Dynamic DNS Client v3.4"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(ApplicationIcon());

    auto* layout = new DialogTemplate(this, 235, 74);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("IDC_STATIC_ICON"));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    layout->Place(icon, 11, 17, 21, 20);

    auto* text = new QLabel(QStringLiteral("Zelto Premium Dynamic DNS Client v3.4\n"
                                           "Zelto Systems\n"
                                           "www.zelto.com\n"
                                           "support@zelto.com"),
                            this);
    text->setObjectName(QStringLiteral("IDC_STATIC_TEXT"));
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->Place(text, 45, 16, 145, 33);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(ControlName(ids::kOk));
    ok->setDefault(true);
    layout->Place(ok, 178, 53, 50, 14);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

} // namespace zelto
