#include "shell/DialogRun.h"

#include <QDialog>
#include <QEventLoop>

namespace zelto::qt {

int RunDialog(QDialog& dialog) {
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.setWindowModality(Qt::NonModal);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    loop.exec(QEventLoop::DialogExec);
    // Ended by the application's exit rather than by the user: the window goes too.
    if (dialog.isVisible())
        dialog.hide();
    return dialog.result();
}

} // namespace zelto::qt
