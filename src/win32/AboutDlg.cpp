#include "win32/AboutDlg.h"

#include "ResourceIds.h"

namespace zelto {

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

} // namespace zelto
