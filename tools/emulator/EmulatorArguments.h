#pragma once

#include "ServiceEmulator.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelto::emulator {

// What the zelto-service-emulator command line asks for.
struct Arguments {
    Options options;
    TlsFiles tls;
    std::vector<Account> accounts;
    Fault fault;
    bool help = false;
};

// "example.com:secret" or "example.com:secret:expired": the name label before the first ".", the top-level
// label after it, the password after the first ":". Empty when malformed.
std::optional<Account> ParseAccount(std::string_view text);

// "delay:MS", "close", "status:CODE[:BODY]", "redirect:LOCATION", "longline:BYTES", "longhead:BYTES", and the named
// answers "wrongpassword" (status:200:wrongpassword) and "http500" (status:500 with a body).
std::optional<Fault> ParseFault(std::string_view text);

// Parses argv; false with a message in `error` when it cannot. Reads the --accounts files.
bool ParseArguments(const std::vector<std::string>& args, Arguments& result, std::string& error);

extern const char* const kUsage;

} // namespace zelto::emulator
