#include "ServiceEmulator.h"

#include "HttpWire.h"
#include "ServicePages.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <list>
#include <mutex>
#include <system_error>
#include <thread>

namespace zelto::emulator {

namespace {

// Bounds that keep a misbehaving client from tying the emulator up.
constexpr std::size_t kMaxConnections = 64;
constexpr std::size_t kMaxHead = 16 * 1024;
constexpr std::size_t kMaxRequestBody = 1024 * 1024;
constexpr int kMaxRequestsPerConnection = 10000;
constexpr std::chrono::milliseconds kIdle{10000};
constexpr std::size_t kChunk = 64 * 1024;

std::string FirstLineOf(const std::string& body) {
    std::string line = body.substr(0, body.find('\n'));
    std::erase(line, '\r');
    return line.size() > 80 ? line.substr(0, 80) + "..." : line;
}

} // namespace

struct ServiceEmulator::Impl {
    struct Live {
        int fd;
        std::thread thread;
        bool done = false;
    };

    Options options;
    ServicePages pages;
    int listener = -1;
    int port = 0;
    std::chrono::steady_clock::time_point deadline;
    std::atomic<int> requests{0};
    std::atomic<int> connections{0};

    mutable std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false;
    bool finished = false;
    Fault fault;
    std::list<Live> live;
    std::thread server;

    explicit Impl(Options given) : options(std::move(given)) {
        pages.SetIpCheckAddress(options.ipCheckAddress);
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listener < 0)
            throw std::system_error(errno, std::generic_category(), "socket");
        int yes = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(options.port));
        socklen_t length = sizeof address;
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener, 64) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            int error = errno;
            ::close(listener);
            throw std::system_error(error, std::generic_category(), "cannot listen on 127.0.0.1");
        }
        port = ntohs(address.sin_port);
        deadline = std::chrono::steady_clock::now() + options.lifetime;
        server = std::thread([this] { Serve(); });
    }

    bool Stopping() const {
        std::lock_guard lock(mutex);
        return stopping;
    }

    void Log(const std::string& peer, const Request* request, const std::string& outcome) const {
        if (!options.log)
            return;
        std::string target = request ? request->method + " " + MaskPasswordInTarget(request->target) : "(bad request)";
        std::fprintf(stderr, "%s %s -> %s\n", peer.c_str(), target.c_str(), outcome.c_str());
        std::fflush(stderr);
    }

    void Serve() {
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (stopping || std::chrono::steady_clock::now() >= deadline) {
                    stopping = true;
                    break;
                }
            }
            Reap();
            pollfd entry{listener, POLLIN, 0};
            if (::poll(&entry, 1, 50) <= 0)
                continue;
            sockaddr_in peerAddress{};
            socklen_t length = sizeof peerAddress;
            int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&peerAddress), &length, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ++connections;
            char text[INET_ADDRSTRLEN] = "";
            ::inet_ntop(AF_INET, &peerAddress.sin_addr, text, sizeof text);
            std::lock_guard lock(mutex);
            if (live.size() >= kMaxConnections) {
                ::close(fd);
                continue;
            }
            Live& slot = live.emplace_back(Live{fd, {}, false});
            try {
                slot.thread = std::thread([this, &slot, peer = std::string(text)] { Handle(slot, peer); });
            } catch (const std::system_error&) {
                // Out of threads: turn this connection away rather than stop serving.
                ::close(fd);
                live.pop_back();
            }
        }
        {
            std::lock_guard lock(mutex);
            for (Live& slot : live)
                if (slot.fd >= 0)
                    ::shutdown(slot.fd, SHUT_RDWR);
        }
        changed.notify_all();
        for (Live& slot : live)
            slot.thread.join();
        ::close(listener);
        std::lock_guard lock(mutex);
        live.clear();
        finished = true;
        changed.notify_all();
    }

    // Joins the threads of connections that have ended.
    void Reap() {
        std::list<Live> ended;
        {
            std::lock_guard lock(mutex);
            for (auto it = live.begin(); it != live.end();) {
                auto next = std::next(it);
                if (it->done)
                    ended.splice(ended.end(), live, it);
                it = next;
            }
        }
        for (Live& slot : ended)
            slot.thread.join();
    }

    void Handle(Live& slot, const std::string& peer) {
        ServeConnection(slot.fd, peer);
        std::lock_guard lock(mutex);
        ::close(slot.fd);
        slot.fd = -1;
        slot.done = true;
    }

    void ServeConnection(int fd, const std::string& peer) {
        Connection connection(
            fd, [this] { return Stopping(); }, kIdle);
        for (int served = 0; served < kMaxRequestsPerConnection; ++served) {
            bool tooLarge = false;
            std::optional<std::string> head = connection.ReadHead(kMaxHead, tooLarge);
            if (!head) {
                if (tooLarge)
                    connection.SendAll(ResponseHead(Response{431, "text/plain", {}, {}}, 0, false));
                return;
            }
            ++requests;
            std::optional<Request> request = ParseRequestHead(*head);
            if (!request || request->contentLength > kMaxRequestBody) {
                Log(peer, nullptr, "400");
                connection.SendAll(ResponseHead(Response{400, "text/plain", {}, {}}, 0, false));
                return;
            }
            request->peer = peer;
            if (!connection.Skip(request->contentLength) || !Respond(connection, *request))
                return;
            if (!request->keepAlive)
                return;
        }
    }

    // Answers one request as the current fault says; false when the connection is to be closed.
    bool Respond(Connection& connection, const Request& request) {
        Fault now;
        {
            std::lock_guard lock(mutex);
            now = fault;
        }
        switch (now.kind) {
        case Fault::Kind::Delay: {
            std::unique_lock lock(mutex);
            if (changed.wait_for(lock, now.delay, [this] { return stopping; }))
                return false;
            break;
        }
        case Fault::Kind::CloseWithoutAnswer:
            Log(request.peer, &request, "closed without answer");
            return false;
        case Fault::Kind::Response: {
            Response response{now.status, "text/plain", now.body, now.location};
            Log(request.peer, &request, std::to_string(now.status) + " " + FirstLineOf(now.body));
            return connection.SendAll(ResponseHead(response, response.body.size(), request.keepAlive) + response.body);
        }
        case Fault::Kind::LongLine:
            Log(request.peer, &request, "200 " + std::to_string(now.longLineBytes) + " bytes without line feed");
            return SendLongLine(connection, now.longLineBytes, request.keepAlive);
        case Fault::Kind::None:
            break;
        }
        Response response = pages.Answer(request);
        Log(request.peer, &request, std::to_string(response.status) + " " + FirstLineOf(response.body));
        return connection.SendAll(ResponseHead(response, response.body.size(), request.keepAlive) + response.body);
    }

    static bool SendLongLine(Connection& connection, std::size_t bytes, bool keepAlive) {
        if (!connection.SendAll(ResponseHead(Response{}, bytes, keepAlive)))
            return false;
        const std::string chunk(kChunk, 'x');
        while (bytes > 0) {
            std::size_t now = std::min(bytes, chunk.size());
            if (!connection.SendAll(std::string_view(chunk).substr(0, now)))
                return false;
            bytes -= now;
        }
        return true;
    }

    void Stop() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        if (server.joinable() && server.get_id() != std::this_thread::get_id())
            server.join();
    }
};

ServiceEmulator::ServiceEmulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

ServiceEmulator::~ServiceEmulator() {
    impl_->Stop();
}

int ServiceEmulator::Port() const {
    return impl_->port;
}

std::string ServiceEmulator::HostPort() const {
    return "127.0.0.1:" + std::to_string(impl_->port);
}

void ServiceEmulator::AddAccount(const Account& account) {
    impl_->pages.AddAccount(account);
}

void ServiceEmulator::SetFault(const Fault& fault) {
    std::lock_guard lock(impl_->mutex);
    impl_->fault = fault;
}

void ServiceEmulator::SetIpCheckAddress(const std::string& address) {
    impl_->pages.SetIpCheckAddress(address);
}

std::string ServiceEmulator::RegisteredAddress(const std::string& host) const {
    return impl_->pages.RegisteredAddress(host);
}

int ServiceEmulator::Requests() const {
    return impl_->requests;
}

int ServiceEmulator::Connections() const {
    return impl_->connections;
}

void ServiceEmulator::Stop() {
    impl_->Stop();
}

void ServiceEmulator::Wait() {
    std::unique_lock lock(impl_->mutex);
    impl_->changed.wait(lock, [this] { return impl_->finished; });
}

} // namespace zelto::emulator
