#include "update/ServiceEndpoints.h"

#include "schema/ClientSettings.h"

#include <cctype>

namespace zelto {

namespace {

// Removes `scheme` from the front of `text`, in any letter case; false when it is not there.
bool TakeScheme(std::string& text, std::string_view scheme) {
    if (text.size() < scheme.size())
        return false;
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != scheme[i])
            return false;
    text.erase(0, scheme.size());
    return true;
}

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

} // namespace

ServiceEndpoints::UpdateServerSetting ServiceEndpoints::ReadUpdateServer() const {
    UpdateServerSetting server;
    server.authority = ClientSettingsView(settings_).UpdateServer();
    server.secure = TakeScheme(server.authority, "https://");
    if (!server.secure)
        TakeScheme(server.authority, "http://");
    if (server.authority.ends_with('/'))
        server.authority.pop_back();
    return server;
}

std::string ServiceEndpoints::UpdateServer() const {
    return ReadUpdateServer().authority;
}

bool ServiceEndpoints::UpdateServerSecure() const {
    return ReadUpdateServer().secure;
}

std::string ServiceEndpoints::UpdateServerBase() const {
    const UpdateServerSetting server = ReadUpdateServer();
    return (server.secure ? "https://" : "http://") + server.authority;
}

std::string ServiceEndpoints::UpdateServerUrl() const {
    return UpdateServerBase() + "/";
}

HttpTrust ServiceEndpoints::UpdateServerTrust() const {
    return HttpTrust{ClientSettingsView(settings_).CaFile()};
}

std::string ServiceEndpoints::WebSite() const {
    return ClientSettingsView(settings_).WebSite();
}

std::string ServiceEndpoints::UpdateUrl(const std::string& firstLevel, const std::string& secondLevel,
                                        const std::string& password, const std::string& address) const {
    std::string url = UpdateServerBase() + "/premium/update.asp?first=" + PercentEncode(firstLevel) +
                      "&second=" + PercentEncode(secondLevel) + "&password=" + PercentEncode(password);
    if (!address.empty())
        url += "&ip_address=" + PercentEncode(address);
    return url;
}

std::string ServiceEndpoints::InitializeUrl(const std::string& firstLevel, const std::string& secondLevel,
                                            const std::string& password) const {
    return UpdateServerBase() + "/premium/initialize.asp?first=" + PercentEncode(firstLevel) +
           "&second=" + PercentEncode(secondLevel) + "&password=" + PercentEncode(password);
}

std::string ServiceEndpoints::IpCheckUrl() const {
    return UpdateServerBase() + "/premium/ipcheck.asp";
}

std::string ServiceEndpoints::WebInterfacePage() const {
    return "https://" + WebSite() + "/premium/manage_dns.asp";
}

std::string ServiceEndpoints::HomePage() const {
    return "http://" + WebSite();
}

std::string ServiceEndpoints::RegistrationPage() const {
    return "http://" + WebSite() + "/register.htm";
}

std::string PercentEncode(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(value.size());
    for (unsigned char c : value) {
        if (Unreserved(c)) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::string MaskPassword(std::string_view url) {
    std::string masked(url);
    constexpr std::string_view kName = "password=";
    for (std::size_t separator = masked.find('?'); separator != std::string::npos;
         separator = masked.find('&', separator + 1)) {
        std::size_t name = separator + 1;
        if (masked.compare(name, kName.size(), kName) != 0)
            continue;
        std::size_t value = name + kName.size();
        std::size_t end = masked.find_first_of("&#", value);
        masked.replace(value, end == std::string::npos ? std::string::npos : end - value, "***");
    }
    return masked;
}

} // namespace zelto
