#pragma once

#include "platform/HostAddresses.h"

namespace zelto {

// The IPv4 addresses of the network interfaces that are up, in the kernel's order.
class InterfaceAddresses : public HostAddresses {
public:
    std::vector<std::string> List() override;
};

} // namespace zelto
