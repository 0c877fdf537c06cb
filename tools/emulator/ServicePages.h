#pragma once

#include "ServiceEmulator.h"

#include <map>
#include <mutex>
#include <string>

namespace zelto::emulator {

// What a page needs of a request.
struct Request {
    std::string path;
    std::map<std::string, std::string> query; // decoded names and values; the first of a repeated name wins
    std::string peer;                         // dotted-decimal address of the client
};

struct Response {
    int status = 200;
    std::string contentType = "text/plain";
    std::string body;
    std::string location;
};

// The service's side of each page: accounts, the address registered per host, and the answers.
class ServicePages {
public:
    void AddAccount(const Account& account);
    void SetPublicAddress(const std::string& address); // as Options::publicAddress
    std::string RegisteredAddress(const std::string& host) const;

    Response Answer(const Request& request);

private:
    Response Update(const Request& request);
    Response Initialize(const Request& request);
    Response IpCheck(const Request& request) const;
    // The address the service sees `request` come from; under the lock.
    std::string SeenAddress(const Request& request) const;

    mutable std::mutex mutex_;
    std::map<std::string, Account> accounts_; // by "second.first"
    std::map<std::string, std::string> registered_;
    std::string publicAddress_;
};

} // namespace zelto::emulator
