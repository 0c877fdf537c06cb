#pragma once

#include <sys/socket.h>

#include <chrono>
#include <string>
#include <vector>

namespace zelto {

class StopSignal;

struct SocketAddress {
    int family = AF_UNSPEC;
    sockaddr_storage address{};
    socklen_t length = 0;
};

// The addresses of `host` for TCP on `port`. A numeric host is converted at once; a name is looked up on a
// thread of its own, so that neither the deadline nor a stop has to wait for the resolver. Empty when
// nothing is found in time.
std::vector<SocketAddress> LookUpHost(const std::string& host, const std::string& port,
                                      std::chrono::steady_clock::time_point deadline, const StopSignal* stop);

} // namespace zelto
