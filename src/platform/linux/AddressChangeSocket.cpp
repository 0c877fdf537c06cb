#include "platform/linux/AddressChangeSocket.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace zelto {

namespace {

// A link's messages matter only when it is switched on or off: the machine's addresses are those of the links
// that are up. A new link comes without addresses, a removed one takes its addresses with it (each told as an
// address message), and carrier, master or wireless news changes neither.
bool SwitchesALink(const nlmsghdr* header) {
    if (header->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return false;
    const unsigned change = static_cast<const ifinfomsg*>(NLMSG_DATA(header))->ifi_change;
    return change != ~0U && (change & IFF_UP) != 0;
}

// Whether one buffer of route messages tells of a change of the machine's addresses.
bool AnnouncesAddressChange(const void* messages, unsigned long length) {
    auto left = static_cast<unsigned int>(length);
    for (const auto* header = static_cast<const nlmsghdr*>(messages); NLMSG_OK(header, left);
         header = NLMSG_NEXT(header, left)) {
        if (header->nlmsg_type == RTM_NEWADDR || header->nlmsg_type == RTM_DELADDR ||
            (header->nlmsg_type == RTM_NEWLINK && SwitchesALink(header)))
            return true;
    }
    return false;
}

} // namespace

AddressChangeSocket::AddressChangeSocket() {
    fd_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (fd_ < 0)
        return;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

AddressChangeSocket::~AddressChangeSocket() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool AddressChangeSocket::TakeChanges() {
    bool changed = false;
    alignas(nlmsghdr) std::uint8_t buffer[16384];
    // Bounded: a flood of messages is read in several turns of the caller's loop.
    for (int reads = 0; reads < 64; ++reads) {
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0) {
            // The kernel dropped messages it could not queue: something changed.
            if (errno == ENOBUFS) {
                changed = true;
                continue;
            }
            break;
        }
        changed = AnnouncesAddressChange(buffer, static_cast<unsigned long>(got)) || changed;
    }
    return changed;
}

} // namespace zelto
