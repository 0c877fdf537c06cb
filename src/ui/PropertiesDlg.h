#pragma once

#include "ui/DialogContext.h"

#include <QDialog>

namespace zelto {

// The Properties dialog: the domain list, the address method and fixed address, the ignore list, the fresh
// IP update and the About box. Quit (and every other way of cancelling) ends the program.
class CPropertiesDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPropertiesDlg(DialogContext& context, QWidget* parent = nullptr);
};

} // namespace zelto
