#pragma once

#include "win32/Dialog.h"

namespace zelto::win32 {

// The About box, template 100: OK, Esc and the close button end it; it changes nothing.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};

} // namespace zelto::win32
