#include "win32/AboutDlg.h"

#include "ResourceIds.h"

namespace zelto::win32 {

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

} // namespace zelto::win32
