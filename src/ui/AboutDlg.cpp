#include "ui/AboutDlg.h"

#include "ui/AppIcons.h"
#include "ui/DialogTemplate.h"
#include "ui/DialogTemplates.h"

#include <QLabel>
#include <QPushButton>

namespace zelto::qt {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(ApplicationIcon());

    const auto* layout = new DialogTemplate(this, DialogTemplateOf<IDD_ABOUTBOX>::kResource);
    for (auto* text : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* ok = layout->Control<QPushButton>(IDOK);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

} // namespace zelto::qt
