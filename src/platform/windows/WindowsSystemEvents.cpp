#include "platform/windows/WindowsSystemEvents.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <iphlpapi.h>
#include <netioapi.h>

namespace zelto {

namespace {

void WINAPI AddressChanged(void* context, MIB_UNICASTIPADDRESS_ROW*, MIB_NOTIFICATION_TYPE) {
    static_cast<WindowsSystemEvents*>(context)->OnAddressChange();
}

} // namespace

WindowsSystemEvents::~WindowsSystemEvents() {
    Unlisten();
}

// Without the notification (an old or emulated system) the poll alone finds changes.
void WindowsSystemEvents::Listen(Listener listener) {
    Unlisten();
    relay_.Set(std::move(listener));
    HANDLE handle = nullptr;
    if (::NotifyUnicastIpAddressChange(AF_INET, AddressChanged, this, FALSE, &handle) == NO_ERROR)
        notification_ = handle;
}

// Cancelling waits for a callback that is running.
void WindowsSystemEvents::Unlisten() {
    if (notification_ != nullptr)
        ::CancelMibChangeNotify2(static_cast<HANDLE>(notification_));
    notification_ = nullptr;
    relay_.Clear();
}

} // namespace zelto
