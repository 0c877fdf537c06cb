#pragma once

#include <string>
#include <vector>

namespace zelto {

// The machine's own IPv4 addresses, each as four "%u" parts joined by ".", in the system's order.
class HostAddresses {
public:
    HostAddresses() = default;
    virtual ~HostAddresses() = default;
    HostAddresses(const HostAddresses&) = delete;
    HostAddresses& operator=(const HostAddresses&) = delete;

    // Empty when the addresses cannot be read.
    virtual std::vector<std::string> List() = 0;
};

} // namespace zelto
