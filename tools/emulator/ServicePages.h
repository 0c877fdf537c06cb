#pragma once

#include "HttpWire.h"
#include "ServiceEmulator.h"

#include <map>
#include <mutex>
#include <string>

namespace zelto::emulator {

// The service's side of each page: accounts, the address registered per host, and the answers.
class ServicePages {
public:
    void AddAccount(const Account& account);
    void SetIpCheckAddress(const std::string& address);
    std::string RegisteredAddress(const std::string& host) const;

    Response Answer(const Request& request);

private:
    Response Update(const Request& request);
    Response Initialize(const Request& request);
    Response IpCheck(const Request& request) const;

    mutable std::mutex mutex_;
    std::map<std::string, Account> accounts_; // by "second.first"
    std::map<std::string, std::string> registered_;
    std::string ipCheckAddress_;
};

} // namespace zelto::emulator
