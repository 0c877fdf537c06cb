#include "EmulatorArguments.h"

#include <charconv>
#include <fstream>

namespace zelto::emulator {

const char* const kUsage =
    "Usage: zelto-service-emulator [OPTION]...\n"
    "A stand-in for the Zelto Premium service on 127.0.0.1, for tests and demonstrations.\n"
    "Prints \"port N\" on standard output once it listens, and stops by itself.\n"
    "\n"
    "  --port N                 listen on 127.0.0.1:N (default 0: pick a free port)\n"
    "  --lifetime SECONDS       stop after this many seconds (default 60)\n"
    "  --account SECOND.FIRST:PASSWORD[:expired]\n"
    "                           register a host name (repeatable), as example.com:secret\n"
    "  --accounts FILE          read accounts from FILE, one per line in the form above;\n"
    "                           blank lines and lines starting with # are skipped\n"
    "  --public-address ADDR    act as if the client's router had the public address ADDR: the\n"
    "                           address check answers ipADDR and an update without an address\n"
    "                           registers ADDR (default: the caller's own address)\n"
    "  --public-address @FILE   the same with the first line of FILE, read at every request: write\n"
    "                           another address into FILE to change the router's address while it runs\n"
    "  --fault KIND             misbehave on every page: delay:MS, close, status:CODE[:BODY],\n"
    "                           redirect:LOCATION, longline:BYTES, longhead:BYTES (header lines before\n"
    "                           the answer), or as a service that refuses every password\n"
    "                           (wrongpassword) or fails (http500)\n"
    "  --tls-cert FILE          serve https with this PEM certificate (chain); needs --tls-key\n"
    "  --tls-key FILE           the certificate's PEM private key\n"
    "  --log                    print a line per request on standard error, password masked\n"
    "  --help                   show this help and exit\n"
    "\n"
    "Pages: /premium/update.asp, /premium/initialize.asp, /premium/ipcheck.asp, /, /register.htm,\n"
    "/premium/manage_dns.asp.\n";

namespace {

template <typename Number> std::optional<Number> ParseNumber(std::string_view text) {
    Number value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool LoadAccounts(const std::string& path, std::vector<Account>& accounts, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        std::optional<Account> account = ParseAccount(line);
        if (!account) {
            error = path + ":" + std::to_string(number) + ": not an account: " + line;
            return false;
        }
        accounts.push_back(*account);
    }
    return true;
}

} // namespace

std::optional<Account> ParseAccount(std::string_view text) {
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view host = text.substr(0, colon);
    std::string_view password = text.substr(colon + 1);
    std::size_t dot = host.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == host.size())
        return std::nullopt;
    Account account{std::string(host.substr(0, dot)), std::string(host.substr(dot + 1)), {}, false};
    constexpr std::string_view kExpired = ":expired";
    if (password.ends_with(kExpired)) {
        account.expired = true;
        password.remove_suffix(kExpired.size());
    }
    if (password.empty())
        return std::nullopt;
    account.password = password;
    return account;
}

std::optional<Fault> ParseFault(std::string_view text) {
    // The two a user tries the client's patience with, by name.
    if (text == "wrongpassword")
        text = "status:200:wrongpassword";
    else if (text == "http500")
        text = "status:500:Internal Server Error";
    std::size_t colon = text.find(':');
    std::string_view kind = text.substr(0, colon);
    std::string_view argument = colon == std::string_view::npos ? std::string_view{} : text.substr(colon + 1);
    Fault fault;
    if (kind == "close" && colon == std::string_view::npos) {
        fault.kind = Fault::Kind::CloseWithoutAnswer;
    } else if (kind == "delay") {
        auto ms = ParseNumber<long>(argument);
        if (!ms || *ms < 0)
            return std::nullopt;
        fault.kind = Fault::Kind::Delay;
        fault.delay = std::chrono::milliseconds(*ms);
    } else if (kind == "status") {
        std::size_t split = argument.find(':');
        auto status = ParseNumber<int>(argument.substr(0, split));
        if (!status || *status < 100 || *status > 999)
            return std::nullopt;
        fault.kind = Fault::Kind::Response;
        fault.status = *status;
        if (split != std::string_view::npos)
            fault.body = std::string(argument.substr(split + 1)) + "\r\n";
    } else if (kind == "redirect" && !argument.empty()) {
        fault.kind = Fault::Kind::Response;
        fault.status = 302;
        fault.location = argument;
    } else if (kind == "longline" || kind == "longhead") {
        auto bytes = ParseNumber<std::size_t>(argument);
        if (!bytes)
            return std::nullopt;
        fault.kind = kind == "longline" ? Fault::Kind::LongLine : Fault::Kind::LongHead;
        fault.longLineBytes = *bytes;
    } else {
        return std::nullopt;
    }
    return fault;
}

bool ParseArguments(const std::vector<std::string>& args, Arguments& result, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help") {
            result.help = true;
            continue;
        }
        if (name == "--log") {
            result.options.log = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = name.starts_with("--") ? name + " needs a value" : "unknown argument " + name;
            return false;
        }
        const std::string& value = args[++i];
        if (name == "--port") {
            auto port = ParseNumber<int>(value);
            if (!port || *port < 0 || *port > 65535) {
                error = "--port takes a number from 0 to 65535";
                return false;
            }
            result.options.port = *port;
        } else if (name == "--lifetime") {
            auto seconds = ParseNumber<long>(value);
            if (!seconds || *seconds <= 0) {
                error = "--lifetime takes a positive number of seconds";
                return false;
            }
            result.options.lifetime = std::chrono::seconds(*seconds);
        } else if (name == "--account") {
            std::optional<Account> account = ParseAccount(value);
            if (!account) {
                error = "not an account: " + value + " (SECOND.FIRST:PASSWORD[:expired])";
                return false;
            }
            result.accounts.push_back(*account);
        } else if (name == "--accounts") {
            if (!LoadAccounts(value, result.accounts, error))
                return false;
        } else if (name == "--tls-cert") {
            result.tls.cert = value;
        } else if (name == "--tls-key") {
            result.tls.key = value;
        } else if (name == "--public-address") {
            result.options.publicAddress = value;
        } else if (name == "--fault") {
            std::optional<Fault> fault = ParseFault(value);
            if (!fault) {
                error = "not a fault: " + value;
                return false;
            }
            result.fault = *fault;
        } else {
            error = "unknown argument " + name;
            return false;
        }
    }
    if (result.tls.cert.empty() != result.tls.key.empty()) {
        error = "--tls-cert and --tls-key go together";
        return false;
    }
    return true;
}

} // namespace zelto::emulator
