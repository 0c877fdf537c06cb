#include "platform/windows/AdapterAddresses.h"

#include <winsock2.h>
#include <ws2tcpip.h>
// after the sockets headers it builds on
#include <iphlpapi.h>

#include <memory>

namespace zelto {
namespace {

std::string DottedDecimal(const sockaddr_in& address) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&address.sin_addr);
    return std::to_string(bytes[0]) + '.' + std::to_string(bytes[1]) + '.' + std::to_string(bytes[2]) + '.' +
           std::to_string(bytes[3]);
}

} // namespace

std::vector<std::string> AdapterAddresses::List() {
    constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // The list can grow between the call that sizes it and the one that fills it: a few tries.
    ULONG size = 16 * 1024;
    std::unique_ptr<unsigned char[]> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer = std::make_unique<unsigned char[]>(size);
        result = ::GetAdaptersAddresses(AF_INET, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()),
                                        &size);
    }
    std::vector<std::string> addresses;
    if (result != ERROR_SUCCESS)
        return addresses;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()); adapter != nullptr;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (address != nullptr && address->sa_family == AF_INET)
                addresses.push_back(DottedDecimal(*reinterpret_cast<const sockaddr_in*>(address)));
        }
    }
    return addresses;
}

} // namespace zelto
