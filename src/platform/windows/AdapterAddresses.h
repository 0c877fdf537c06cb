#pragma once

#include "platform/HostAddresses.h"

namespace zelto {

// The IPv4 unicast addresses of the network adapters that are up, in the system's order, as the original's
// host-name lookup returns them on Windows: without the loopback adapter's. (Under Wine a host-name lookup
// finds only the loopback address; the adapters are the host's interfaces.)
class AdapterAddresses : public HostAddresses {
public:
    std::vector<std::string> List() override;
};

} // namespace zelto
