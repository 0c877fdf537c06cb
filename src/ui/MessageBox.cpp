#include "ui/MessageBox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace zelto {

void ShowWarningMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, MessageCaption(), text, QMessageBox::Ok, parent);
    box.exec();
}

QString MessageCaption() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() : name;
}

QString WriteFailedText(const QString& settingsPath) {
    return QStringLiteral("The settings could not be saved to %1.").arg(settingsPath);
}

} // namespace zelto
