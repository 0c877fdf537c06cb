#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zelto::emulator {

// One parsed HTTP request head.
struct Request {
    std::string method;
    std::string target; // path and query as sent
    std::string path;
    std::map<std::string, std::string> query; // decoded names and values; the first of a repeated name wins
    bool keepAlive = true;
    std::size_t contentLength = 0;
    std::string peer; // dotted-decimal address of the client
};

struct Response {
    int status = 200;
    std::string contentType = "text/plain";
    std::string body;
    std::string location;
};

// %XX sequences and "+" (a space, as form-encoded queries have it) decoded; a malformed % is kept as is.
std::string PercentDecode(std::string_view text);

// "a=1&b=x%20y" into its decoded pairs.
std::map<std::string, std::string> ParseQuery(std::string_view query);

// The target with the value of every "password" parameter replaced by "***", for logs.
std::string MaskPasswordInTarget(std::string_view target);

// Parses a request head (request line and headers, without the blank line). Empty when malformed.
std::optional<Request> ParseRequestHead(std::string_view head);

// Status line and headers for a response of bodyLength bytes.
std::string ResponseHead(const Response& response, std::size_t bodyLength, bool keepAlive);

// Reads from and writes to a connected socket, giving up when `cancelled` says so (polled every ~50 ms) or
// after the idle time without progress.
class Connection {
public:
    Connection(int fd, std::function<bool()> cancelled, std::chrono::milliseconds idle)
        : fd_(fd), cancelled_(std::move(cancelled)), idle_(idle) {}

    // The next request head, up to and without its blank line; empty on close, error, time-out or a head
    // longer than maxHead (then `tooLarge` is set).
    std::optional<std::string> ReadHead(std::size_t maxHead, bool& tooLarge);
    // Reads and drops a request body.
    bool Skip(std::size_t bytes);
    bool SendAll(std::string_view data);

private:
    bool WaitFor(short events);

    int fd_;
    std::function<bool()> cancelled_;
    std::chrono::milliseconds idle_;
    std::string pending_; // bytes read beyond the last head
};

} // namespace zelto::emulator
