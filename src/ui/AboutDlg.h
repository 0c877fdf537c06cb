#pragma once

#include <QDialog>

namespace zelto::qt {

// The About box: the product, its maker and how to reach it. OK, Esc and the close button end it.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace zelto::qt
