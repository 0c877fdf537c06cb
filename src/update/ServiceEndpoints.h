#pragma once

#include "platform/HttpSession.h"

#include <string>
#include <string_view>

namespace zelto {

class SettingsFile;

// Where the service lives: the built-in hosts unless the settings name others; a host may carry a port, as in
// "127.0.0.1:8080". The update server may be written "https://host[:port]": every request to it then goes over
// TLS, verified against the system's trust store or the user's own PEM bundle. Read once, from one state of
// the file, so that a pass never pairs one host with another host's trust.
class ServiceEndpoints {
public:
    explicit ServiceEndpoints(const SettingsFile& settings);

    std::string UpdateServer() const;    // host[:port], without the scheme
    std::string UpdateServerUrl() const; // "http://" or "https://", the host, then "/"
    bool UpdateServerSecure() const;     // written with "https://"
    HttpTrust UpdateServerTrust() const;
    std::string WebSite() const;

    // Scheme + update server + "/premium/update.asp?first=..." etc. Values are percent-encoded.
    std::string UpdateUrl(const std::string& firstLevel, const std::string& secondLevel, const std::string& password,
                          const std::string& address) const;
    std::string InitializeUrl(const std::string& firstLevel, const std::string& secondLevel,
                              const std::string& password) const;
    std::string IpCheckUrl() const;

    std::string WebInterfacePage() const; // "https://" + site + "/premium/manage_dns.asp"
    std::string HomePage() const;         // "http://" + site
    std::string RegistrationPage() const; // "http://" + site + "/register.htm"

private:
    std::string UpdateServerBase() const; // the scheme and the host, without a path

    bool secure_ = false;
    std::string authority_;
    std::string caFile_;
    std::string webSite_;
};

// Every byte outside A-Z a-z 0-9 - . _ ~ as %XX.
std::string PercentEncode(std::string_view value);

// The URL with the value of its "password" query parameter replaced by "***", for logs.
std::string MaskPassword(std::string_view url);

} // namespace zelto
