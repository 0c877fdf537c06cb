#pragma once

#include "win32/Dialog.h"

namespace zelto {

// The About box, template 100: OK, Esc and the close button end it; it changes nothing.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};

} // namespace zelto
