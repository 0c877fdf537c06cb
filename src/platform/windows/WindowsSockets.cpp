#include "platform/windows/WindowsSockets.h"

#include <winsock2.h>

namespace zelto {

WindowsSockets::WindowsSockets() {
    WSADATA data{};
    started_ = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    // A library older than 1.1 answers with its own version and still succeeds: refused, as the original
    // refused it.
    if (started_ && !Grants11(data.wVersion)) {
        ::WSACleanup();
        started_ = false;
    }
}

bool WindowsSockets::Grants11(unsigned short version) {
    const unsigned major = LOBYTE(version);
    const unsigned minor = HIBYTE(version);
    return major > 1 || (major == 1 && minor >= 1);
}

WindowsSockets::~WindowsSockets() {
    if (started_)
        ::WSACleanup();
}

} // namespace zelto
