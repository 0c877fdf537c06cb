#pragma once

#include "config/AddressText.h"

#include <windows.h>

namespace zelto::win32 {

// The four fields of an IP address control (SysIPAddress32); a blank field reads as 0.
AddressFields GetAddressFields(HWND control);
void SetAddressFields(HWND control, const AddressFields& address);

} // namespace zelto::win32
