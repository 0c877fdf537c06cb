#include "win32/IpAddressControl.h"

#include <commctrl.h>

namespace zelto::win32 {

AddressFields GetAddressFields(HWND control) {
    DWORD packed = 0;
    SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
    return AddressFields{{static_cast<int>(FIRST_IPADDRESS(packed)), static_cast<int>(SECOND_IPADDRESS(packed)),
                          static_cast<int>(THIRD_IPADDRESS(packed)), static_cast<int>(FOURTH_IPADDRESS(packed))}};
}

void SetAddressFields(HWND control, const AddressFields& address) {
    const auto& part = address.part;
    SendMessageW(control, IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(part[0], part[1], part[2], part[3])));
}

} // namespace zelto::win32
