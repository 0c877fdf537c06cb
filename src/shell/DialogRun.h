#pragma once

class QDialog;

namespace zelto::qt {

// Shows the dialog and returns its result once it has been closed, like QDialog::exec, but without
// blocking the other windows: the tray icon, its menu and the splash keep working meanwhile, as they do
// beside an ownerless modal dialog on the desktop the client was designed for. Returns at once, with the
// dialog closed, when the application is leaving.
int RunDialog(QDialog& dialog);

} // namespace zelto::qt
