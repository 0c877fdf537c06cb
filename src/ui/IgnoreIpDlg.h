#pragma once

#include "ui/MessageBox.h"

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace zelto {

class CIpAddressCtrl;
class SettingsFile;

// The Ignore IP List dialog: the addresses detection must never report. Add IP and Remove IP write at once;
// OK and Cancel only close.
class CIgnoreIpDlg : public QDialog {
    Q_OBJECT

public:
    explicit CIgnoreIpDlg(SettingsFile& settings, QWidget* parent = nullptr);

    // Replaces the message box that tells of a failed write.
    void SetMessageBox(MessageBoxFn showMessage);

    CIpAddressCtrl* m_ipAddress = nullptr;
    QString m_ignoreList; // BuildIgnoreListText: every entry followed by "\r\n"

public slots:
    void OnAddIp();
    void OnRemoveIp();

private:
    void ShowList();

    SettingsFile& m_settings;
    MessageBoxFn m_showMessage;
    QPlainTextEdit* m_listBox = nullptr;
};

} // namespace zelto
