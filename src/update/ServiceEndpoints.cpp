#include "update/ServiceEndpoints.h"

#include "update/ClientSettings.h"

namespace zelto {

namespace {

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

} // namespace

std::string ServiceEndpoints::UpdateServer() const {
    return ClientSettingsView(settings_).UpdateServer();
}

std::string ServiceEndpoints::WebSite() const {
    return ClientSettingsView(settings_).WebSite();
}

std::string ServiceEndpoints::UpdateUrl(const std::string& firstLevel, const std::string& secondLevel,
                                        const std::string& password, const std::string& address) const {
    std::string url = "http://" + UpdateServer() + "/premium/update.asp?first=" + PercentEncode(firstLevel) +
                      "&second=" + PercentEncode(secondLevel) + "&password=" + PercentEncode(password);
    if (!address.empty())
        url += "&ip_address=" + PercentEncode(address);
    return url;
}

std::string ServiceEndpoints::InitializeUrl(const std::string& firstLevel, const std::string& secondLevel,
                                            const std::string& password) const {
    return "http://" + UpdateServer() + "/premium/initialize.asp?first=" + PercentEncode(firstLevel) +
           "&second=" + PercentEncode(secondLevel) + "&password=" + PercentEncode(password);
}

std::string ServiceEndpoints::IpCheckUrl() const {
    return "http://" + UpdateServer() + "/premium/ipcheck.asp";
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
