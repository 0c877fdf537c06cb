#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zelto {

// The little of the D-Bus wire format the client needs to hear logind: method calls to the bus itself, and
// reading the signals that come back.

// A call to the bus daemon (org.freedesktop.DBus) with no argument, or with one string.
std::string BusMethodCall(std::string_view member, std::optional<std::string_view> argument, unsigned serial);

struct BusSignal {
    std::string interface, member;
    std::string signature;
    std::optional<bool> firstBoolean; // when the body begins with a boolean
};

// The length of the message at the start of `bytes` once its fixed header is there; nullopt while fewer
// than 16 bytes have come, 0 for a header that is not D-Bus's.
std::optional<std::size_t> BusMessageLength(std::string_view bytes);
// The signal in one whole message; nullopt for any other message, or one that does not parse.
std::optional<BusSignal> ReadBusSignal(std::string_view message);

} // namespace zelto
