#include "HttpWire.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>

#include <poll.h>
#include <sys/socket.h>

namespace zelto::emulator {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string Lower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

std::string PercentDecode(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            result += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            result += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            result += c;
        }
    }
    return result;
}

std::map<std::string, std::string> ParseQuery(std::string_view query) {
    std::map<std::string, std::string> result;
    while (!query.empty()) {
        std::size_t end = query.find('&');
        std::string_view pair = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view{} : query.substr(end + 1);
        if (pair.empty())
            continue;
        std::size_t equals = pair.find('=');
        std::string name = PercentDecode(pair.substr(0, equals));
        std::string value = equals == std::string_view::npos ? std::string{} : PercentDecode(pair.substr(equals + 1));
        result.emplace(std::move(name), std::move(value));
    }
    return result;
}

std::string MaskPasswordInTarget(std::string_view target) {
    std::string result(target);
    std::size_t from = result.find('?');
    while (from != std::string::npos) {
        std::size_t name = from + 1;
        if (result.compare(name, 9, "password=") == 0) {
            std::size_t value = name + 9;
            std::size_t end = result.find('&', value);
            result.replace(value, end == std::string::npos ? std::string::npos : end - value, "***");
        }
        from = result.find('&', name);
    }
    return result;
}

std::optional<Request> ParseRequestHead(std::string_view head) {
    std::size_t lineEnd = head.find("\r\n");
    std::string_view line = head.substr(0, lineEnd);
    std::size_t firstSpace = line.find(' ');
    std::size_t lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace)
        return std::nullopt;
    Request request;
    request.method = line.substr(0, firstSpace);
    request.target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    std::string_view version = line.substr(lastSpace + 1);
    if (request.target.empty() || !version.starts_with("HTTP/1."))
        return std::nullopt;
    request.keepAlive = version != "HTTP/1.0";

    std::string_view target = request.target;
    std::size_t fragment = target.find('#');
    target = target.substr(0, fragment);
    std::size_t question = target.find('?');
    request.path = target.substr(0, question);
    if (question != std::string_view::npos)
        request.query = ParseQuery(target.substr(question + 1));

    std::string_view rest = lineEnd == std::string_view::npos ? std::string_view{} : head.substr(lineEnd + 2);
    while (!rest.empty()) {
        std::size_t end = rest.find("\r\n");
        std::string_view header = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 2);
        std::size_t colon = header.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        std::string name = Lower(Trim(header.substr(0, colon)));
        std::string_view value = Trim(header.substr(colon + 1));
        if (name == "connection") {
            std::string token = Lower(value);
            if (token == "close")
                request.keepAlive = false;
            else if (token == "keep-alive")
                request.keepAlive = true;
        } else if (name == "content-length") {
            auto [end2, error] = std::from_chars(value.data(), value.data() + value.size(), request.contentLength);
            if (error != std::errc{} || end2 != value.data() + value.size())
                return std::nullopt;
        }
    }
    return request;
}

std::string ResponseHead(const Response& response, std::size_t bodyLength, bool keepAlive) {
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + std::to_string(bodyLength) + "\r\n";
    if (!response.location.empty())
        head += "Location: " + response.location + "\r\n";
    head += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    head += "\r\n";
    return head;
}

bool Connection::WaitFor(short events) {
    auto deadline = std::chrono::steady_clock::now() + idle_;
    while (!cancelled_()) {
        pollfd entry{fd_, events, 0};
        int ready = ::poll(&entry, 1, 50);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    return false;
}

std::optional<std::string> Connection::ReadHead(std::size_t maxHead, bool& tooLarge) {
    tooLarge = false;
    char buffer[4096];
    for (;;) {
        std::size_t end = pending_.find("\r\n\r\n");
        if (end != std::string::npos) {
            std::string head = pending_.substr(0, end);
            pending_.erase(0, end + 4);
            return head;
        }
        if (pending_.size() > maxHead) {
            tooLarge = true;
            return std::nullopt;
        }
        if (!WaitFor(POLLIN))
            return std::nullopt;
        ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0)
            return std::nullopt;
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

bool Connection::Skip(std::size_t bytes) {
    std::size_t fromPending = std::min(bytes, pending_.size());
    pending_.erase(0, fromPending);
    bytes -= fromPending;
    char buffer[4096];
    while (bytes > 0) {
        if (!WaitFor(POLLIN))
            return false;
        ssize_t got = ::recv(fd_, buffer, std::min(bytes, sizeof buffer), 0);
        if (got <= 0)
            return false;
        bytes -= static_cast<std::size_t>(got);
    }
    return true;
}

bool Connection::SendAll(std::string_view data) {
    while (!data.empty()) {
        if (!WaitFor(POLLOUT))
            return false;
        ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

} // namespace zelto::emulator
