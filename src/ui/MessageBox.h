#pragma once

#include <QString>
#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace zelto::qt {

// Shows text to the user and returns when it has been acknowledged. Dialogs take one so that tests and
// the screenshot gallery can see the message instead of a blocking box.
using MessageBoxFn = std::function<void(QWidget* parent, const QString& text)>;

// The application's message box: OK, the warning icon, MessageCaption() as caption.
std::unique_ptr<QMessageBox> MakeWarningMessage(QWidget* parent, const QString& text);
// Runs that box modally.
void ShowWarningMessage(QWidget* parent, const QString& text);

// The application's name, or the executable's base name when none was set.
QString MessageCaption();

} // namespace zelto::qt
