#pragma once

#include "settings/SettingsFile.h"

#include "desktop/IgnoreListModel.h"
#include "ui/MessageBox.h"

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace zelto::qt {

class CIpAddressCtrl;

// The Ignore IP List dialog's Qt skin over the one model: the addresses detection must never report. Add IP
// and Remove IP write at once; OK and Cancel only close.
class CIgnoreIpDlg : public QDialog, private IgnoreListView {
    Q_OBJECT

public:
    explicit CIgnoreIpDlg(SettingsFile& settings, QWidget* parent = nullptr);

    // Replaces the message box that tells of a failed write.
    void SetMessageBox(MessageBoxFn showMessage);

    CIpAddressCtrl* m_ipAddress = nullptr;

public slots:
    void OnAddIp();
    void OnRemoveIp();

private:
    void ShowList(const std::string& text) override;
    void ShowMessage(const std::string& text) override;

    IgnoreListModel m_model;
    MessageBoxFn m_showMessage;
    QPlainTextEdit* m_listBox = nullptr;
};

} // namespace zelto::qt
