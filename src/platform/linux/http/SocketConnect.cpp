#include "platform/linux/http/SocketConnect.h"

#include "platform/StopSignal.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zelto {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often a wait looks at the stop signal.
constexpr auto kPollSlice = 50ms;

// A socket connecting to `address`, or -1 when the attempt failed at once. `connected` tells whether it is
// already done, as a local connect may be.
int StartConnect(const SocketAddress& address, bool& connected, int& error) {
    const int fd = ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address.address), address.length) == 0;
    if (connected || errno == EINPROGRESS)
        return fd;
    error = errno;
    ::close(fd);
    return -1;
}

} // namespace

int ConnectFirst(const std::vector<SocketAddress>& addresses, Clock::time_point deadline, const StopSignal* stop,
                 std::chrono::milliseconds stagger, int* lastError) {
    int error = 0;
    std::vector<pollfd> attempts;
    std::size_t next = 0;
    Clock::time_point nextStart = Clock::now();
    int winner = -1;
    while (winner < 0 && !(stop && stop->Raised())) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            break;
        if (next < addresses.size() && (now >= nextStart || attempts.empty())) {
            bool connected = false;
            const int fd = StartConnect(addresses[next++], connected, error);
            nextStart = now + stagger;
            if (connected)
                winner = fd;
            else if (fd >= 0)
                attempts.push_back({fd, POLLOUT, 0});
            continue;
        }
        if (attempts.empty())
            break; // every address failed
        auto wait = std::min<Clock::duration>(deadline - now, kPollSlice);
        if (next < addresses.size())
            wait = std::min<Clock::duration>(wait, nextStart - now);
        const int ready = ::poll(attempts.data(), attempts.size(),
                                 static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
        if (ready < 0 && errno != EINTR)
            break;
        for (auto attempt = attempts.begin(); ready > 0 && attempt != attempts.end();) {
            if (attempt->revents == 0) {
                ++attempt;
                continue;
            }
            int failed = 0;
            socklen_t length = sizeof failed;
            if (winner < 0 && ::getsockopt(attempt->fd, SOL_SOCKET, SO_ERROR, &failed, &length) == 0 && failed == 0) {
                winner = attempt->fd;
            } else {
                error = failed != 0 ? failed : error;
                ::close(attempt->fd);
                nextStart = Clock::now(); // a refusal need not wait for the stagger
            }
            attempt = attempts.erase(attempt);
        }
    }
    for (const pollfd& attempt : attempts)
        ::close(attempt.fd);
    if (lastError)
        *lastError = error;
    return winner;
}

} // namespace zelto
