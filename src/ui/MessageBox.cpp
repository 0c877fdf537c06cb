#include "ui/MessageBox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace zelto::qt {

std::unique_ptr<QMessageBox> MakeWarningMessage(QWidget* parent, const QString& text) {
    return std::make_unique<QMessageBox>(QMessageBox::Warning, MessageCaption(), text, QMessageBox::Ok, parent);
}

void ShowWarningMessage(QWidget* parent, const QString& text) {
    MakeWarningMessage(parent, text)->exec();
}

QString MessageCaption() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() : name;
}

} // namespace zelto::qt
