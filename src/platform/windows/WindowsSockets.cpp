#include "platform/windows/WindowsSockets.h"

#include <winsock2.h>

namespace zelto {

WindowsSockets::WindowsSockets() {
    WSADATA data{};
    started_ = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

WindowsSockets::~WindowsSockets() {
    if (started_)
        ::WSACleanup();
}

} // namespace zelto
