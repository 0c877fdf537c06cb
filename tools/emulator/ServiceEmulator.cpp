#include "ServiceEmulator.h"

#include "ConnectionCloser.h"
#include "ConnectionThreads.h"
#include "ServicePages.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace zelto::emulator {

namespace {

// Enough threads for every connection a test or a benchmark keeps open at once; each kept connection holds one.
constexpr std::size_t kMaxThreads = 64;
constexpr std::size_t kMaxRequestsPerConnection = 10000;
constexpr std::size_t kMaxRequestBody = 1024 * 1024;
// A client that neither sends nor reads for this long is dropped.
constexpr int kIdleSeconds = 10;
constexpr std::size_t kChunk = 64 * 1024;

std::string FirstLineOf(const std::string& body) {
    std::string line = body.substr(0, body.find('\n'));
    std::erase(line, '\r');
    return line.size() > 80 ? line.substr(0, 80) + "..." : line;
}

// The target with the value of every "password" parameter replaced by "***", for the log.
std::string MaskPasswordInTarget(std::string_view target) {
    std::string result(target);
    for (std::size_t from = result.find('?'); from != std::string::npos; from = result.find('&', from + 1)) {
        const std::size_t name = from + 1;
        if (result.compare(name, 9, "password=") != 0)
            continue;
        const std::size_t value = name + 9;
        const std::size_t end = result.find('&', value);
        result.replace(value, end == std::string::npos ? std::string::npos : end - value, "***");
    }
    return result;
}

// The library files the connection's addresses among the headers, under names no client sends.
std::vector<std::string> SentHeaderNames(const httplib::Request& request) {
    std::vector<std::string> names;
    for (const auto& [name, value] : request.headers) {
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT")
            continue;
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        names.push_back(std::move(lower));
    }
    std::sort(names.begin(), names.end());
    return names;
}

Request PageRequest(const httplib::Request& request) {
    Request page{request.path, {}, request.remote_addr};
    for (const auto& [name, value] : request.params)
        page.query.emplace(name, value); // a multimap in arrival order: the first of a name stays
    return page;
}

std::unique_ptr<httplib::Server> MakeServer(const TlsFiles& tls) {
    if (tls.cert.empty() != tls.key.empty())
        throw std::runtime_error("--tls-cert and --tls-key go together");
    if (tls.cert.empty())
        return std::make_unique<httplib::Server>();
    auto server = std::make_unique<httplib::SSLServer>(tls.cert.c_str(), tls.key.c_str());
    if (!server->is_valid())
        throw std::runtime_error("cannot load the TLS certificate " + tls.cert + " and key " + tls.key);
    return server;
}

} // namespace

struct ServiceEmulator::Impl {
    Options options;
    ServicePages pages;
    std::unique_ptr<httplib::Server> http;
    int port = 0;
    std::atomic<int> requests{0};
    std::atomic<int> connections{0};
    std::atomic<bool> listenerEnded{false};

    mutable std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false;
    bool finished = false;
    Fault fault;
    std::vector<std::string> lastHeaderNames;
    std::thread listener;
    std::thread timer; // ends the emulator at the end of its lifetime, or at Stop

    Impl(Options given, const TlsFiles& tls) : options(std::move(given)), http(MakeServer(tls)) {
        pages.SetPublicAddress(options.publicAddress);
        http->new_task_queue = [this] { return new ConnectionThreads(connections, kMaxThreads); };
        http->set_keep_alive_max_count(kMaxRequestsPerConnection);
        http->set_keep_alive_timeout(kIdleSeconds);
        http->set_read_timeout(kIdleSeconds);
        http->set_write_timeout(kIdleSeconds);
        http->set_payload_max_length(kMaxRequestBody);
        // Head and body leave in separate writes; without this each answer would wait out a delayed ACK.
        http->set_tcp_nodelay(true);
        http->Get(".*",
                  [this](const httplib::Request& request, httplib::Response& response) { Respond(request, response); });
        port = options.port == 0 ? http->bind_to_any_port("127.0.0.1")
                                 : (http->bind_to_port("127.0.0.1", options.port) ? options.port : -1);
        if (port <= 0)
            throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(options.port));
        listener = std::thread([this] {
            http->listen_after_bind();
            listenerEnded = true;
        });
        timer = std::thread([this] { RunLifetime(); });
    }

    void RunLifetime() {
        {
            std::unique_lock lock(mutex);
            changed.wait_for(lock, options.lifetime, [this] { return stopping; });
            stopping = true;
        }
        changed.notify_all();
        // A stop before the listener runs would be lost, and leave it waiting in accept for ever.
        while (!http->is_running() && !listenerEnded)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        http->stop();
        listener.join();
        std::lock_guard lock(mutex);
        finished = true;
        changed.notify_all();
    }

    void Log(const httplib::Request& request, const std::string& outcome) const {
        if (!options.log)
            return;
        std::fprintf(stderr, "%s %s %s -> %s\n", request.remote_addr.c_str(), request.method.c_str(),
                     MaskPasswordInTarget(request.target).c_str(), outcome.c_str());
        std::fflush(stderr);
    }

    // The library still writes the response, which goes nowhere once the connection is shut down; should the
    // connection not be found, the client gets a 500 rather than a normal answer.
    void CloseUnanswered(const httplib::Request& request, httplib::Response& response) const {
        response.status = 500;
        Log(request, CloseWithoutAnswer(request) ? "closed without answer" : "connection not found, answered 500");
    }

    // Answers one request as the current fault says.
    void Respond(const httplib::Request& request, httplib::Response& response) {
        ++requests;
        Fault now;
        {
            std::lock_guard lock(mutex);
            now = fault;
            lastHeaderNames = SentHeaderNames(request);
        }
        switch (now.kind) {
        case Fault::Kind::Delay: {
            std::unique_lock lock(mutex);
            if (changed.wait_for(lock, now.delay, [this] { return stopping; })) {
                lock.unlock();
                return CloseUnanswered(request, response);
            }
            break;
        }
        case Fault::Kind::CloseWithoutAnswer:
            return CloseUnanswered(request, response);
        case Fault::Kind::Response:
            return Send(request, response, Response{now.status, "text/plain", now.body, now.location});
        case Fault::Kind::LongLine: {
            const std::size_t bytes = now.longLineBytes;
            response.set_content_provider(bytes, "text/plain",
                                          [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                              static const std::string chunk(kChunk, 'x');
                                              (void)offset;
                                              return sink.write(chunk.data(), std::min(length, chunk.size()));
                                          });
            return Log(request, "200 " + std::to_string(bytes) + " bytes without line feed");
        }
        case Fault::Kind::LongHead: {
            const std::string line(100, 'x');
            for (std::size_t sent = 0, i = 0; sent < now.longLineBytes; sent += line.size() + 20, ++i)
                response.set_header("X-Padding-" + std::to_string(i), line);
            break;
        }
        case Fault::Kind::None:
            break;
        }
        Send(request, response, pages.Answer(PageRequest(request)));
    }

    void Send(const httplib::Request& request, httplib::Response& response, const Response& answer) const {
        response.status = answer.status;
        if (!answer.location.empty())
            response.set_header("Location", answer.location);
        response.set_content(answer.body, answer.contentType.c_str());
        Log(request, std::to_string(answer.status) + " " + FirstLineOf(answer.body));
    }

    void Stop() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        if (timer.joinable() && timer.get_id() != std::this_thread::get_id())
            timer.join();
    }
};

ServiceEmulator::ServiceEmulator(Options options, TlsFiles tls)
    : impl_(std::make_unique<Impl>(std::move(options), tls)) {}

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

void ServiceEmulator::SetPublicAddress(const std::string& address) {
    impl_->pages.SetPublicAddress(address);
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

std::vector<std::string> ServiceEmulator::LastHeaderNames() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastHeaderNames;
}

void ServiceEmulator::Stop() {
    impl_->Stop();
}

void ServiceEmulator::Wait() {
    std::unique_lock lock(impl_->mutex);
    impl_->changed.wait(lock, [this] { return impl_->finished; });
}

} // namespace zelto::emulator
