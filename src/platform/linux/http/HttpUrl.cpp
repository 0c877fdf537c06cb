#include "platform/linux/http/HttpUrl.h"

#include <algorithm>
#include <cctype>

namespace zelto {

namespace {

constexpr std::string_view kScheme = "http://";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

bool HasBlankOrControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; });
}

// The scheme of an absolute URL ("http", "https", ...), or empty when the text has none.
std::string_view SchemeOf(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == 0 || colon == std::string_view::npos || url.substr(colon, 3) != "://")
        return {};
    const std::string_view scheme = url.substr(0, colon);
    const bool valid = std::isalpha(static_cast<unsigned char>(scheme.front())) &&
                       std::all_of(scheme.begin(), scheme.end(), [](char c) {
                           return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
                       });
    return valid ? scheme : std::string_view{};
}

} // namespace

std::string HttpUrl::Authority() const {
    const std::string name = host.find(':') == std::string::npos ? host : "[" + host + "]";
    return defaultPort ? name : name + ":" + port;
}

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
    if (!StartsWithNoCase(url, kScheme) || HasBlankOrControl(url))
        return std::nullopt;
    url.remove_prefix(kScheme.size());
    url = url.substr(0, url.find('#'));
    const std::size_t pathStart = url.find_first_of("/?");
    const std::string_view authority = url.substr(0, pathStart);
    HttpUrl parsed;
    // A target of only a query gets its path "/". Built by appending: an insert at the front here makes
    // g++ 12 at -O3 warn of an overlapping copy that cannot happen (-Wrestrict).
    const std::string_view given = pathStart == std::string_view::npos ? std::string_view{} : url.substr(pathStart);
    if (given.empty() || given.front() == '?')
        parsed.target = "/";
    parsed.target.append(given);
    if (authority.find('@') != std::string_view::npos)
        return std::nullopt;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        parsed.host = authority.substr(1, close - 1);
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != ':')
            return std::nullopt;
        port = rest.empty() ? rest : rest.substr(1);
        if (!rest.empty() && port.empty())
            return std::nullopt;
    } else {
        const std::size_t colon = authority.find(':');
        parsed.host = authority.substr(0, colon);
        if (colon != std::string_view::npos) {
            port = authority.substr(colon + 1);
            if (port.empty())
                return std::nullopt;
        }
    }
    // A bracketed host is an IPv6 literal; a name holds no brackets.
    const bool literal = !authority.empty() && authority.front() == '[';
    const bool valid =
        literal ? parsed.host.find(':') != std::string::npos &&
                      std::all_of(
                          parsed.host.begin(), parsed.host.end(),
                          [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; })
                : parsed.host.find_first_of("[]") == std::string::npos;
    if (parsed.host.empty() || !valid)
        return std::nullopt;
    if (!port.empty()) {
        if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const int number = std::stoi(std::string(port));
        if (number < 1 || number > 65535)
            return std::nullopt;
        parsed.port = std::to_string(number);
        parsed.defaultPort = number == 80;
    } else {
        parsed.port = "80";
    }
    return parsed;
}

std::string ResolveLocation(std::string_view base, std::string_view location) {
    if (!SchemeOf(location).empty())
        return std::string(location);
    const std::string_view scheme = SchemeOf(base);
    const std::size_t authorityStart = scheme.size() + 3;
    if (location.substr(0, 2) == "//")
        return std::string(scheme) + ":" + std::string(location);
    const std::size_t pathStart = std::min(base.find_first_of("/?#", authorityStart), base.size());
    const std::string_view origin = base.substr(0, pathStart);
    if (!location.empty() && location.front() == '/')
        return std::string(origin) + std::string(location);
    std::string_view path = base.substr(pathStart);
    path = path.substr(0, path.find_first_of("?#"));
    const std::size_t lastSlash = path.rfind('/');
    const std::string_view folder = lastSlash == std::string_view::npos ? "/" : path.substr(0, lastSlash + 1);
    if (location.empty())
        return std::string(base.substr(0, base.find('#')));
    if (location.front() == '?')
        return std::string(origin) + std::string(path.empty() ? "/" : path) + std::string(location);
    return std::string(origin) + std::string(folder) + std::string(location);
}

} // namespace zelto
