#include "platform/linux/http/NameLookup.h"

#include "platform/StopSignal.h"

#include <netdb.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace zelto {

namespace {

using namespace std::chrono_literals;

std::vector<SocketAddress> Resolve(const std::string& host, const std::string& port, int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    std::vector<SocketAddress> addresses;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0)
        return addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        SocketAddress address;
        address.family = entry->ai_family;
        std::memcpy(&address.address, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        addresses.push_back(address);
    }
    freeaddrinfo(found);
    return addresses;
}

// Shared by the caller and the lookup thread, which may outlive the caller's wait.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::vector<SocketAddress> addresses;
};

} // namespace

std::vector<SocketAddress> LookUpHost(const std::string& host, const std::string& port,
                                      std::chrono::steady_clock::time_point deadline, const StopSignal* stop) {
    std::vector<SocketAddress> numeric = Resolve(host, port, AI_NUMERICHOST);
    if (!numeric.empty())
        return numeric;
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host, port] {
            std::vector<SocketAddress> addresses = Resolve(host, port, 0);
            std::lock_guard lock(lookup->mutex);
            lookup->addresses = std::move(addresses);
            lookup->done = true;
            lookup->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return Resolve(host, port, 0); // no thread to spare: look up here, without a way out
    }
    std::unique_lock lock(lookup->mutex);
    while (!lookup->done && !(stop && stop->Raised()) && std::chrono::steady_clock::now() < deadline)
        lookup->finished.wait_for(lock, 50ms);
    return lookup->done ? std::move(lookup->addresses) : std::vector<SocketAddress>{};
}

} // namespace zelto
