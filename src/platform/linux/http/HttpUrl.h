#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelto {

// A plain "http://" URL split for the request line: the parts the socket session needs.
struct HttpUrl {
    std::string host;   // as written, without the brackets of an IPv6 literal
    std::string port;   // "80" when none is written
    std::string target; // path and query, at least "/"; the fragment dropped
    bool defaultPort = true;

    // What the Host header carries: the host, and the port when one was written.
    std::string Authority() const;
};

// Splits an "http://" URL (scheme in any case). Empty for any other scheme, for user information, an empty
// host, a port outside 1-65535, and for blanks or control characters, which could split the request.
std::optional<HttpUrl> ParseHttpUrl(std::string_view url);

// The absolute URL a Location header points to from `base`: an absolute URL as it is, "//host/..." with the
// base's scheme, "/path" on the base's host, and anything else relative to the base's folder.
std::string ResolveLocation(std::string_view base, std::string_view location);

} // namespace zelto
